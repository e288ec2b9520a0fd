// CRC-32 of ITU-T V.42 (reflected polynomial 0xEDB88320), the checksum of zip
// and PNG.
#pragma once

#include <cstddef>
#include <cstdint>

namespace twutil {

uint32_t Crc32(const unsigned char* data, size_t size);

}  // namespace twutil
