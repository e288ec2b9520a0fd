// The tool's captured output turned into lines: in chunks of 1024 bytes,
// each converted from the system ANSI code page and split at "\r\n" on its
// own, so a line that straddles two chunks arrives as two lines.
#pragma once

#include <functional>
#include <string>

namespace twutil {

constexpr size_t kOutputChunkBytes = 1024;

// Calls line() for every line of one chunk's text: each piece before a
// "\r\n", then what follows the last one, if anything does.
void SplitChunkLines(const std::wstring& text,
                     const std::function<void(const std::wstring&)>& line);

// Converts and splits the whole output, chunk by chunk, in order. A chunk
// that cannot be converted is dropped.
void RelayOutputLines(const std::string& output,
                      const std::function<void(const std::wstring&)>& line);

}  // namespace twutil
