#include "peres/VariantLong.h"

#include "com/Owners.h"

namespace twutil {

bool VariantToLong(const VARIANT& value, long* result) {
  if (V_VT(&value) == VT_I4) {
    *result = V_I4(&value);
    return true;
  }
  Variant converted;
  if (FAILED(VariantChangeType(converted.Put(), const_cast<VARIANT*>(&value), 0, VT_I4)))
    return false;
  *result = V_I4(&converted.Ref());
  return true;
}

void StoreLongInVariant(VARIANT* target, long value) {
  switch (V_VT(target)) {
    case VT_I4:
      V_I4(target) = value;
      break;
    case VT_ERROR:
      V_ERROR(target) = value;
      break;
    case VT_BOOL:
      V_BOOL(target) = value ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    default:
      VariantClear(target);
      V_VT(target) = VT_I4;
      V_I4(target) = value;
      break;
  }
}

}  // namespace twutil
