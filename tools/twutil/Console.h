// Writing to the console streams: UTF-8 bytes, unchanged by the C runtime's
// text mode, so JSON on stdout can be piped as it is.
#pragma once

#include <string>

namespace twtool {

void WriteOut(const std::string& utf8);
void WriteError(const std::wstring& text);

}  // namespace twtool
