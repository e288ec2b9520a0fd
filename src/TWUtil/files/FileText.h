// Small text and file helpers of the File class.
#pragma once

#include <string>

namespace twutil {

// True when the file named by the 8-bit path begins with FF FE.
bool HasUtf16Mark(const std::string& path);

}  // namespace twutil
