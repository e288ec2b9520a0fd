#include "registry/ScriptValue.h"

#include <oleauto.h>

namespace twutil {
namespace {

BSTR AllocText(const std::wstring& text) {
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

}  // namespace

ValueToWrite ClassifyValueToWrite(const VARIANT* value) {
  ValueToWrite result;
  if (value && V_VT(value) == (VT_BYREF | VT_VARIANT)) value = V_VARIANTREF(value);
  if (!value) return result;
  switch (V_VT(value)) {
    case VT_I2:
      result.kind = ValueToWrite::Kind::kNumber;
      result.number = V_I2(value);
      break;
    case VT_I4:
      result.kind = ValueToWrite::Kind::kNumber;
      result.number = V_I4(value);
      break;
    case VT_BSTR:
      result.kind = ValueToWrite::Kind::kText;
      result.text = V_BSTR(value);
      break;
    case VT_BYREF | VT_I2:
      if (V_I2REF(value)) {
        result.kind = ValueToWrite::Kind::kNumber;
        result.number = *V_I2REF(value);
      }
      break;
    case VT_BYREF | VT_I4:
      if (V_I4REF(value)) {
        result.kind = ValueToWrite::Kind::kNumber;
        result.number = *V_I4REF(value);
      }
      break;
    case VT_BYREF | VT_BSTR:
      if (V_BSTRREF(value)) {
        result.kind = ValueToWrite::Kind::kText;
        result.text = *V_BSTRREF(value);
      }
      break;
    default:
      break;
  }
  return result;
}

void ReplaceWithNumber(VARIANT* target, LONG number) {
  VariantClear(target);
  V_VT(target) = VT_I4;
  V_I4(target) = number;
}

bool ReplaceWithText(VARIANT* target, const std::wstring& text) {
  VariantClear(target);
  V_VT(target) = VT_BSTR;
  V_BSTR(target) = AllocText(text);
  return V_BSTR(target) != nullptr;
}

void StoreNumber(VARIANT* target, LONG number) {
  if (V_VT(target) == (VT_BYREF | VT_I4) && V_I4REF(target)) {
    *V_I4REF(target) = number;
    return;
  }
  ReplaceWithNumber(target, number);
}

bool StoreText(VARIANT* target, const std::wstring& text) {
  if (V_VT(target) == (VT_BYREF | VT_BSTR) && V_BSTRREF(target)) {
    SysFreeString(*V_BSTRREF(target));
    *V_BSTRREF(target) = AllocText(text);
    return *V_BSTRREF(target) != nullptr;
  }
  return ReplaceWithText(target, text);
}

}  // namespace twutil
