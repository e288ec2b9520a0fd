// The VARIANTs that scripts hand to the registry object: what a value to be
// written holds, and how read results are stored back into the caller's
// VARIANT.
#pragma once

#include <windows.h>
// Not self-contained: relies on windows.h above.
#include <oaidl.h>

#include <string>

namespace twutil {

// A value to be written, after one level of VT_BYREF|VT_VARIANT is looked
// through. Only 16/32-bit integers and strings, direct or by reference, count.
struct ValueToWrite {
  enum class Kind { kUnsupported, kNumber, kText };
  Kind kind = Kind::kUnsupported;
  LONG number = 0;
  BSTR text = nullptr;  // borrowed from the caller; null for a null BSTR
};

ValueToWrite ClassifyValueToWrite(const VARIANT* value);

// Stores a number: through the reference of a VT_BYREF|VT_I4, otherwise as a
// fresh VT_I4.
void StoreNumber(VARIANT* target, LONG number);

// Stores a text: replaces the referenced string of a VT_BYREF|VT_BSTR,
// otherwise makes the VARIANT a fresh VT_BSTR. False when out of memory.
bool StoreText(VARIANT* target, const std::wstring& text);

// Clears the VARIANT, whatever it referred to, and makes it a VT_I4 / VT_BSTR.
void ReplaceWithNumber(VARIANT* target, LONG number);
bool ReplaceWithText(VARIANT* target, const std::wstring& text);

}  // namespace twutil
