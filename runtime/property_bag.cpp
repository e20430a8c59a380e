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
  entries_.emplace_back(name, value);
}

void PropertyBag::addNumber(const std::wstring& name, LONG number) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_I4;
  V_I4(&value) = number;
  entries_.emplace_back(name, value);
}

PropertyBag::~PropertyBag() {
  for (auto& entry : entries_) VariantClear(&entry.second);
}

VARIANT* PropertyBag::find(LPCOLESTR name) {
  for (auto& entry : entries_)
    if (name && CompareStringOrdinal(entry.first.c_str(), -1, name, -1, TRUE) == CSTR_EQUAL) return &entry.second;
  return nullptr;
}

// Names compare without case, as stored form data does. A value the form
// doesn't hold is "not found", so the control keeps its default.
HRESULT PropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  if (!value) return E_POINTER;
  VARIANT* const stored = find(name);
  if (!stored) return E_INVALIDARG;
  const VARTYPE wanted = V_VT(value);
  VariantInit(value);
  if (wanted == VT_EMPTY) return VariantCopy(value, stored);
  return VariantChangeType(value, stored, 0, wanted);
}

// The form is running, not being designed: there is nothing to save into.
HRESULT PropertyBag::Write(LPCOLESTR, VARIANT*) { return E_NOTIMPL; }

}  // namespace runtime
