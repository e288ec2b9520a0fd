// Collects small pieces of output and hands them to a file in large writes:
// a replacement run makes two pieces per occurrence, and one system call
// each would dominate the run time.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

namespace twutil {

class ChunkedWriter {
 public:
  explicit ChunkedWriter(HANDLE file, size_t capacity = 1 << 20);
  ChunkedWriter(const ChunkedWriter&) = delete;
  ChunkedWriter& operator=(const ChunkedWriter&) = delete;

  // False when a write to the file failed on the way; what was collected up
  // to then is dropped, and the next call tries again.
  bool Append(const char* data, size_t size);
  bool Flush();

 private:
  bool WriteThrough(const char* data, size_t size);

  HANDLE file_;
  std::unique_ptr<char[]> buffer_;
  size_t capacity_;
  size_t used_ = 0;
};

}  // namespace twutil
