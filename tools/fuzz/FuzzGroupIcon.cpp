// Reads an arbitrary group-icon directory and renumbers its images in a copy
// buffer, as the icon transfer does.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/format/GroupIconDirectory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> group(data, data + size);
  const twutil::ByteSpan span(group.data(), group.size());
  uint16_t count = 0;
  if (!twutil::peformat::ReadGroupIconCount(span, &count)) return 0;
  if (size > twutil::peformat::kGroupBufferSize) __builtin_trap();
  std::vector<uint8_t> buffer(size);
  std::memcpy(buffer.data(), group.data(), size);
  for (uint16_t i = 0; i < count; ++i) {
    uint16_t id = 0;
    if (!twutil::peformat::ReadGroupIconImageId(span, i, &id)) __builtin_trap();
    if (!twutil::peformat::WriteGroupIconImageId(buffer.data(), buffer.size(), i,
                                                 static_cast<uint16_t>(id + 1)))
      __builtin_trap();
  }
  return 0;
}
