#include "capture/ExecutableProbes.h"

#include "capture/MappedFile.h"
#include "com/Owners.h"

namespace twutil {
namespace {

constexpr size_t kNewHeaderOffsetField = 0x3C;
constexpr uint32_t kPESignature = 0x00004550;  // "PE\0\0"
// The COFF file header follows the signature; its characteristics are at 18.
constexpr size_t kMachineOffset = 4;
constexpr size_t kCharacteristicsOffset = 4 + 18;
constexpr uint16_t kDllFlag = 0x2000;
constexpr uint16_t kExecutableFlag = 0x0002;

bool ReadWord(HANDLE file, uint16_t* word) {
  DWORD read = 0;
  return ReadFile(file, word, sizeof(*word), &read, nullptr) && read == sizeof(*word);
}

}  // namespace

long GetExecutableFormat(const ByteSpan& image) {
  uint16_t dosSignature = 0;
  if (!image.ReadU16(0, &dosSignature) || dosSignature != kFormatDos) return kFormatNone;
  uint32_t newHeader = 0;
  if (!image.ReadU32(kNewHeaderOffsetField, &newHeader)) return kFormatDos;
  uint32_t signature = 0;
  if (image.ReadU32(newHeader, &signature) && signature == kPESignature) return kFormatPE;
  uint16_t shortSignature = 0;
  if (image.ReadU16(newHeader, &shortSignature) &&
      (shortSignature == kFormatNE || shortSignature == kFormatLE))
    return shortSignature;
  return kFormatDos;
}

long GetPEFileKind(const wchar_t* path, long* kind) {
  long result = kPENeither;
  MappedFile file(path ? path : L"");
  if (file.Opened()) {
    ByteSpan image = file.Bytes();
    uint32_t newHeader = 0;
    uint16_t characteristics = 0;
    if (GetExecutableFormat(image) == kFormatPE &&
        image.ReadU32(kNewHeaderOffsetField, &newHeader) &&
        image.ReadU16(uint64_t{newHeader} + kCharacteristicsOffset, &characteristics)) {
      if (characteristics & kDllFlag)
        result = kPELibrary;
      else if (characteristics & kExecutableFlag)
        result = kPEProgram;
    }
  }
  if (kind) *kind = result;
  return result;
}

uint16_t GetPEMachine(const wchar_t* path) {
  MappedFile file(path ? path : L"");
  if (!file.Opened()) return 0;
  ByteSpan image = file.Bytes();
  uint32_t newHeader = 0;
  uint16_t machine = 0;
  if (GetExecutableFormat(image) != kFormatPE ||
      !image.ReadU32(kNewHeaderOffsetField, &newHeader) ||
      !image.ReadU16(uint64_t{newHeader} + kMachineOffset, &machine))
    return 0;
  return machine;
}

int GetPEBitness(const wchar_t* path) {
  switch (GetPEMachine(path)) {
    case 0:
      return 0;
    case IMAGE_FILE_MACHINE_AMD64:
    case IMAGE_FILE_MACHINE_ARM64:
    case IMAGE_FILE_MACHINE_IA64:
      return 64;
    default:
      return 32;
  }
}

bool IsIconFile(const wchar_t* path) {
  Handle file(CreateFileW(path ? path : L"", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  uint16_t reserved = 0xFFFF;
  if (!ReadWord(file.Get(), &reserved) || reserved != 0) return false;
  uint16_t type = 0;
  return ReadWord(file.Get(), &type) && type == 1;
}

}  // namespace twutil
