// The ten creatable classes, in table order: the order of registration,
// unregistration and of the search in DllGetClassObject.
#pragma once

#include <windows.h>

#include <cstddef>

#include "com/ClassFactory.h"

namespace twutil {

struct ClassEntry {
  const CLSID* clsid;
  const wchar_t* progId;  // versioned
  const wchar_t* versionIndependentProgId;
  InstanceCreator createInstance;
  FactoryCache factory;
};

ClassEntry* ClassTable();
size_t ClassTableSize();

}  // namespace twutil
