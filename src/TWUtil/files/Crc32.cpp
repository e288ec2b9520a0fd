#include "files/Crc32.h"

#include <array>

namespace twutil {
namespace {

std::array<uint32_t, 256> Crc32Table() {
  std::array<uint32_t, 256> table;
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t entry = i;
    for (int bit = 0; bit < 8; ++bit) entry = (entry >> 1) ^ ((entry & 1) ? 0xEDB88320u : 0u);
    table[i] = entry;
  }
  return table;
}

}  // namespace

uint32_t Crc32(const unsigned char* data, size_t size) {
  // Built per call: the table lives only as long as one transform.
  const std::array<uint32_t, 256> table = Crc32Table();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = (crc >> 8) ^ table[(crc ^ data[i]) & 0xFF];
  return ~crc;
}

}  // namespace twutil
