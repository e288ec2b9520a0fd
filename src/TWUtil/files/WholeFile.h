// Reads an open file completely into memory.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

namespace twutil {

struct FileContents {
  std::unique_ptr<char[]> data;
  size_t size = 0;
};

// The whole file from its start, as large as the system reports it. False
// when the file does not fit into memory or a read fails.
bool ReadWholeFile(HANDLE file, FileContents* contents);

}  // namespace twutil
