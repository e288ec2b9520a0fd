// TWUtil serves dispatch from its registered TWUtilityLib (1.0, 0x409).
#include "TWUtil.h"
#include "com/TypeInfoCache.h"

namespace twutil {

HRESULT LoadServedTypeLibrary(ITypeLib** out) {
  return LoadRegTypeLib(LIBID_TWUtilityLib, 1, 0, 0x409, out);
}

}  // namespace twutil
