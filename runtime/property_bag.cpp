#include "runtime/property_bag.h"

namespace runtime {

ox::Ptr<PropertyBag> PropertyBag::create() {
  const ox::Ptr<PropertyBag> bag(new PropertyBag);
  bag->Release();  // the creator's count now lives in bag
  return bag;
}

void PropertyBag::addText(const std::wstring& name, const std::wstring& text) { values_.add(name, ox::Variant(text)); }

void PropertyBag::addNumber(const std::wstring& name, LONG number) {
  values_.add(name, ox::Variant::integer(number));
}

// A value the form doesn't hold is "not found", so the control keeps its default.
HRESULT PropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) { return values_.read(name, value); }

// The form is running, not being designed: there is nothing to save into.
HRESULT PropertyBag::Write(LPCOLESTR, VARIANT*) { return E_NOTIMPL; }

}  // namespace runtime
