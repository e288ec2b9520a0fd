// The one place the format code may write: a mutable view over the same
// bytes that a ByteSpan reads, with every write checked against its end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/ByteSpan.h"

namespace twutil {
namespace peformat {

class WritableBytes {
 public:
  WritableBytes(uint8_t* data, size_t size) : data_(data), size_(size) {}

  ByteSpan Reader() const { return ByteSpan(data_, size_); }
  size_t Size() const { return size_; }

  bool WriteU16(uint64_t offset, uint16_t value) {
    if (!Reader().Holds(offset, 2)) return false;
    data_[offset] = static_cast<uint8_t>(value & 0xFF);
    data_[offset + 1] = static_cast<uint8_t>(value >> 8);
    return true;
  }

 private:
  uint8_t* data_;
  size_t size_;
};

}  // namespace peformat
}  // namespace twutil
