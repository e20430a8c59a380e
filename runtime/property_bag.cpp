#include "runtime/property_bag.h"

namespace runtime {

ox::Ptr<PropertyBag> PropertyBag::create() {
  const ox::Ptr<PropertyBag> bag(new PropertyBag);
  bag->Release();  // the creator's count now lives in bag
  return bag;
}

void PropertyBag::addText(const std::wstring& name, const std::wstring& text) {
  VARIANT value;
  VariantInit(&value);
  V_BSTR(&value) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!V_BSTR(&value)) ox::check(E_OUTOFMEMORY);
  V_VT(&value) = VT_BSTR;
  values_.add(name, value);
}

void PropertyBag::addNumber(const std::wstring& name, LONG number) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_I4;
  V_I4(&value) = number;
  values_.add(name, value);
}

// A value the form doesn't hold is "not found", so the control keeps its default.
HRESULT PropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) { return values_.read(name, value); }

// The form is running, not being designed: there is nothing to save into.
HRESULT PropertyBag::Write(LPCOLESTR, VARIANT*) { return E_NOTIMPL; }

}  // namespace runtime
