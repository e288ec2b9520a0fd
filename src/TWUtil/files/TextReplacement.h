// The replacement pass of SearchAndReplace over text already in memory.
#pragma once

#include <cstddef>
#include <string>

#include "files/ChunkedWriter.h"

namespace twutil {

// Writes text to out with every occurrence of search replaced, left to right
// and without overlaps; replacement text is never searched again. An empty
// search text copies the text unchanged. When a write fails, replacing stops
// and the rest of the text is still offered to out. False when any write
// failed.
bool ReplaceAll(const char* text, size_t size, const std::string& search,
                const std::string& replacement, ChunkedWriter* out);

}  // namespace twutil
