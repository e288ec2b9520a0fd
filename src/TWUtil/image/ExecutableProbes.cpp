#include "image/ExecutableProbes.h"

#include <cstddef>

#include "com/Owners.h"
#include "image/MappedFile.h"
#include "image/format/PeFields.h"
#include "image/format/PeLayout.h"

namespace twutil {
namespace {

static_assert(pefield::kDosSignature == IMAGE_DOS_SIGNATURE &&
              pefield::kNtSignature == IMAGE_NT_SIGNATURE &&
              pefield::kNewHeader == offsetof(IMAGE_DOS_HEADER, e_lfanew));
static_assert(pefield::kMachine == offsetof(IMAGE_NT_HEADERS32, FileHeader.Machine) &&
              pefield::kSectionCount == offsetof(IMAGE_NT_HEADERS32, FileHeader.NumberOfSections) &&
              pefield::kCharacteristics ==
                  offsetof(IMAGE_NT_HEADERS32, FileHeader.Characteristics) &&
              pefield::kOptionalMagic == offsetof(IMAGE_NT_HEADERS32, OptionalHeader.Magic) &&
              pefield::kPE32PlusMagic == IMAGE_NT_OPTIONAL_HDR64_MAGIC);
static_assert(pefield::kPE32.rvaCount ==
                  offsetof(IMAGE_NT_HEADERS32, OptionalHeader.NumberOfRvaAndSizes) &&
              pefield::kPE32.dataDirectory ==
                  offsetof(IMAGE_NT_HEADERS32, OptionalHeader.DataDirectory) &&
              pefield::kPE32.sectionTable == sizeof(IMAGE_NT_HEADERS32));
static_assert(pefield::kPE32Plus.rvaCount ==
                  offsetof(IMAGE_NT_HEADERS64, OptionalHeader.NumberOfRvaAndSizes) &&
              pefield::kPE32Plus.dataDirectory ==
                  offsetof(IMAGE_NT_HEADERS64, OptionalHeader.DataDirectory) &&
              pefield::kPE32Plus.sectionTable == sizeof(IMAGE_NT_HEADERS64));
static_assert(pefield::kDataDirectoryEntry == sizeof(IMAGE_DATA_DIRECTORY) &&
              pefield::kResourceDirectory == IMAGE_DIRECTORY_ENTRY_RESOURCE);
static_assert(pefield::kSectionHeader == sizeof(IMAGE_SECTION_HEADER) &&
              pefield::kSectionVirtualAddress == offsetof(IMAGE_SECTION_HEADER, VirtualAddress) &&
              pefield::kSectionRawSize == offsetof(IMAGE_SECTION_HEADER, SizeOfRawData) &&
              pefield::kSectionRawPointer == offsetof(IMAGE_SECTION_HEADER, PointerToRawData));
static_assert(pefield::kExecutableImage == IMAGE_FILE_EXECUTABLE_IMAGE &&
              pefield::kDll == IMAGE_FILE_DLL);

bool ReadWord(HANDLE file, uint16_t* word) {
  DWORD read = 0;
  return ReadFile(file, word, sizeof(*word), &read, nullptr) && read == sizeof(*word);
}

}  // namespace

long GetExecutableFormat(const ByteSpan& image) {
  uint16_t dosSignature = 0;
  if (!image.ReadU16(0, &dosSignature) || dosSignature != kFormatDos) return kFormatNone;
  uint64_t newHeader = 0;
  if (!peformat::NewHeaderOffset(image, &newHeader)) return kFormatDos;
  uint32_t signature = 0;
  if (image.ReadU32(newHeader, &signature) && signature == pefield::kNtSignature) return kFormatPE;
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
    uint64_t nt = 0;
    uint16_t characteristics = 0;
    if (peformat::NtHeadersOffset(image, &nt) &&
        image.ReadU16(nt + pefield::kCharacteristics, &characteristics)) {
      if (characteristics & pefield::kDll)
        result = kPELibrary;
      else if (characteristics & pefield::kExecutableImage)
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
  uint64_t nt = 0;
  uint16_t machine = 0;
  if (!peformat::NtHeadersOffset(image, &nt) || !image.ReadU16(nt + pefield::kMachine, &machine))
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
