// The one-way transform behind Encryptor.Encrypt: a scrambled CRC-32 of the
// text's 8-bit form, printed as an unsigned decimal number.
#pragma once

#include <cstdint>
#include <string>

namespace twutil {

// Each CRC byte is shifted (bits pushed out are lost), masked with 0x3B, and
// the bytes of each 16-bit half trade places.
uint32_t ScrambleCrc(uint32_t crc);

// The decimal text for 8-bit input; only its first 255 bytes count, the most
// that the conversion buffer holds beside its terminator.
std::string EncryptedText(const std::string& ansiText);

}  // namespace twutil
