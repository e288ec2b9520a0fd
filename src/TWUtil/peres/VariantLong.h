// The VARIANT arguments of the icon transfer read and written as longs.
#pragma once

#include <windows.h>
// oleauto.h builds on windows.h.
#include <oleauto.h>

namespace twutil {

// VT_I4 as it is, anything else through VariantChangeType; false when the
// value cannot be converted.
bool VariantToLong(const VARIANT& value, long* result);

// VT_I4 and VT_ERROR keep their type, VT_BOOL becomes VARIANT_TRUE or
// VARIANT_FALSE, anything else is replaced by a VT_I4.
void StoreLongInVariant(VARIANT* target, long value);

}  // namespace twutil
