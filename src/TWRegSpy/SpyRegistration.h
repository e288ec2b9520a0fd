// Self-registration of the spy: its class (in-process, apartment-threaded),
// its ProgIDs and its type library.
#pragma once

#include <windows.h>

namespace twregspy {

HRESULT RegisterSpy();
HRESULT UnregisterSpy();

}  // namespace twregspy
