// The spy serves dispatch from the type library in its own resources, so late
// binding works whether or not that library is registered. Defining this here
// keeps TWUtil's definition out of the spy's link.
#include <windows.h>
// oleauto.h builds on windows.h.
#include <oleauto.h>

#include "com/Module.h"
#include "com/TypeInfoCache.h"

namespace twutil {

HRESULT LoadServedTypeLibrary(ITypeLib** out) {
  return LoadTypeLibEx(Module::Path().c_str(), REGKIND_NONE, out);
}

}  // namespace twutil
