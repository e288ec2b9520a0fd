#include "files/ChunkedWriter.h"

#include <cstring>
#include <new>

namespace twutil {
namespace {

// WriteFile takes a DWORD; stay well below its limit.
constexpr size_t kLargestWrite = 64u << 20;

}  // namespace

ChunkedWriter::ChunkedWriter(HANDLE file, size_t capacity)
    : file_(file), buffer_(new (std::nothrow) char[capacity]) {
  // Without a buffer every piece goes straight to the file.
  capacity_ = buffer_ ? capacity : 0;
}

bool ChunkedWriter::Append(const char* data, size_t size) {
  if (size <= capacity_ - used_) {
    std::memcpy(buffer_.get() + used_, data, size);
    used_ += size;
    return true;
  }
  if (!Flush()) return false;
  if (size >= capacity_) return WriteThrough(data, size);
  std::memcpy(buffer_.get(), data, size);
  used_ = size;
  return true;
}

bool ChunkedWriter::Flush() {
  size_t size = used_;
  used_ = 0;
  return WriteThrough(buffer_.get(), size);
}

bool ChunkedWriter::WriteThrough(const char* data, size_t size) {
  while (size > 0) {
    DWORD piece = static_cast<DWORD>(size < kLargestWrite ? size : kLargestWrite);
    DWORD written = 0;
    if (!WriteFile(file_, data, piece, &written, nullptr) || written != piece) return false;
    data += piece;
    size -= piece;
  }
  return true;
}

}  // namespace twutil
