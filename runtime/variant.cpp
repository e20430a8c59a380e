#include "runtime/variant.h"

#include "oxlensupport.hpp"

namespace runtime {

Variant::Variant(const std::wstring& text) {
  VariantInit(&value_);
  value_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!value_.bstrVal) ox::check(E_OUTOFMEMORY);
  value_.vt = VT_BSTR;
}

const VARIANT* Variant::missing() {
  static const VARIANT value = [] {
    VARIANT left;
    VariantInit(&left);
    left.vt = VT_ERROR;
    left.scode = DISP_E_PARAMNOTFOUND;
    return left;
  }();
  return &value;
}

std::wstring Variant::text() const {
  Variant converted;
  // The source is only read; the declaration just lacks its const.
  ox::check(VariantChangeType(converted.put(), const_cast<VARIANT*>(&value_), 0, VT_BSTR));
  const BSTR text = converted.value_.bstrVal;
  return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

}  // namespace runtime
