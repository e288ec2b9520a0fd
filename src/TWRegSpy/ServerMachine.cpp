#include "ServerMachine.h"

#include <windows.h>

#include "image/ExecutableProbes.h"

namespace twregspy {

HelperArchitecture HelperFor(const wchar_t* path) {
  switch (twutil::GetPEMachine(path)) {
    case 0:  // no PE image: a type library, registered by the spy's own kind
      return sizeof(void*) == 8 ? HelperArchitecture::k64Bit : HelperArchitecture::k32Bit;
    case IMAGE_FILE_MACHINE_I386:
      return HelperArchitecture::k32Bit;
    case IMAGE_FILE_MACHINE_AMD64:
      return HelperArchitecture::k64Bit;
    default:
      return HelperArchitecture::kNone;
  }
}

}  // namespace twregspy
