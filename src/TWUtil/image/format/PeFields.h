// The PE header fields the readers use, each named once. Offsets of NT-header
// fields count from the "PE\0\0" signature. Free of the platform's headers so
// that the format readers build anywhere; ExecutableProbes.cpp checks every
// one against the platform's structures.
#pragma once

#include <cstdint>

namespace twutil {
namespace pefield {

constexpr uint16_t kDosSignature = 0x5A4D;     // "MZ"
constexpr uint32_t kNtSignature = 0x00004550;  // "PE\0\0"
constexpr uint32_t kNewHeader = 0x3C;          // IMAGE_DOS_HEADER::e_lfanew

// IMAGE_NT_HEADERS: the signature, then the file header.
constexpr uint32_t kMachine = 4;
constexpr uint32_t kSectionCount = 6;
constexpr uint32_t kCharacteristics = 22;
constexpr uint32_t kOptionalMagic = 24;
constexpr uint16_t kPE32PlusMagic = 0x020B;

// Where the optional header's kinds differ: PE32+ widens the image base and
// the four stack and heap sizes by 16 bytes.
struct OptionalFields {
  uint32_t rvaCount;       // NumberOfRvaAndSizes
  uint32_t dataDirectory;  // DataDirectory
  uint32_t sectionTable;   // behind a full data directory: sizeof(IMAGE_NT_HEADERS)
};
constexpr OptionalFields kPE32 = {116, 120, 248};
constexpr OptionalFields kPE32Plus = {132, 136, 264};
constexpr uint32_t kDataDirectoryEntry = 8;
constexpr uint32_t kResourceDirectory = 2;  // IMAGE_DIRECTORY_ENTRY_RESOURCE

// IMAGE_SECTION_HEADER.
constexpr uint32_t kSectionHeader = 40;
constexpr uint32_t kSectionVirtualAddress = 12;
constexpr uint32_t kSectionRawSize = 16;
constexpr uint32_t kSectionRawPointer = 20;

// IMAGE_FILE_HEADER::Characteristics flags.
constexpr uint16_t kExecutableImage = 0x0002;
constexpr uint16_t kDll = 0x2000;

}  // namespace pefield
}  // namespace twutil
