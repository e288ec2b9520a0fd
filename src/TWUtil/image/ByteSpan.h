// A read-only view of bytes whose every read is checked against its end, so
// offsets taken from a file can never reach outside the file. Offsets are
// 64-bit so that sums of 32-bit file fields cannot wrap around.
#pragma once

#include <cstddef>
#include <cstdint>

namespace twutil {

class ByteSpan {
 public:
  ByteSpan() = default;
  ByteSpan(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}

  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }

  // True when [offset, offset + length) lies inside the view.
  bool Holds(uint64_t offset, uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  bool ReadU16(uint64_t offset, uint16_t* value) const {
    if (!Holds(offset, 2)) return false;
    const uint8_t* p = data_ + offset;
    *value = static_cast<uint16_t>(p[0] | (p[1] << 8));
    return true;
  }

  bool ReadU32(uint64_t offset, uint32_t* value) const {
    if (!Holds(offset, 4)) return false;
    const uint8_t* p = data_ + offset;
    *value = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
             (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return true;
  }

  // The part [offset, offset + length), or false when it does not fit.
  bool Slice(uint64_t offset, uint64_t length, ByteSpan* part) const {
    if (!Holds(offset, length)) return false;
    *part = ByteSpan(data_ + offset, static_cast<size_t>(length));
    return true;
  }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace twutil
