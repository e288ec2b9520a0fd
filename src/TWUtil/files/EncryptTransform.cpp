#include "files/EncryptTransform.h"

#include <cstdio>

#include "files/Crc32.h"

namespace twutil {
namespace {

constexpr size_t kMaxInputBytes = 255;
constexpr uint32_t kMask = 0x3B;

}  // namespace

uint32_t ScrambleCrc(uint32_t crc) {
  uint32_t b0 = crc & 0xFF;
  uint32_t b1 = (crc >> 8) & 0xFF;
  uint32_t b2 = (crc >> 16) & 0xFF;
  uint32_t b3 = crc >> 24;
  uint32_t s0 = ((b0 << 3) & 0xFF) ^ kMask;
  uint32_t s1 = (b1 >> 5) ^ kMask;
  uint32_t s2 = ((b2 << 7) & 0xFF) ^ kMask;
  uint32_t s3 = (b3 >> 3) ^ kMask;
  return s1 | (s0 << 8) | (s3 << 16) | (s2 << 24);
}

std::string EncryptedText(const std::string& ansiText) {
  size_t size = ansiText.size() < kMaxInputBytes ? ansiText.size() : kMaxInputBytes;
  uint32_t crc = Crc32(reinterpret_cast<const unsigned char*>(ansiText.data()), size);
  char digits[16];
  std::snprintf(digits, sizeof(digits), "%lu", static_cast<unsigned long>(ScrambleCrc(crc)));
  return digits;
}

}  // namespace twutil
