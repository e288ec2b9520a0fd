#include "ServerMachine.h"

#include <windows.h>

#include "capture/ExecutableProbes.h"
#include "capture/MappedFile.h"

namespace twregspy {
namespace {

constexpr uint64_t kNewHeaderOffsetField = 0x3C;
constexpr uint64_t kMachineOffset = 4;  // behind the "PE\0\0" signature

}  // namespace

HelperArchitecture HelperFor(const wchar_t* path) {
  twutil::MappedFile file(path ? path : L"");
  if (!file.Opened()) return HelperArchitecture::k32Bit;
  twutil::ByteSpan image = file.Bytes();
  uint32_t newHeader = 0;
  uint16_t machine = 0;
  if (twutil::GetExecutableFormat(image) != twutil::kFormatPE ||
      !image.ReadU32(kNewHeaderOffsetField, &newHeader) ||
      !image.ReadU16(uint64_t{newHeader} + kMachineOffset, &machine))
    return HelperArchitecture::k32Bit;
  switch (machine) {
    case IMAGE_FILE_MACHINE_I386:
      return HelperArchitecture::k32Bit;
    case IMAGE_FILE_MACHINE_AMD64:
      return HelperArchitecture::k64Bit;
    default:
      return HelperArchitecture::kNone;
  }
}

}  // namespace twregspy
