// A form's stored property data for one control: named values handed to the
// control through IPersistPropertyBag::Load.
#pragma once

#include "oxcom.hpp"
#include "oxlensupport.hpp"
#include "runtime/named_values.h"

#include <ocidl.h>

#include <string>

namespace runtime {

class PropertyBag final : public ox::ComObject<IPropertyBag> {
 public:
  static ox::Ptr<PropertyBag> create();
  void addText(const std::wstring& name, const std::wstring& text);
  void addNumber(const std::wstring& name, LONG number);

  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;

 private:
  PropertyBag() = default;
  ~PropertyBag() override = default;

  NamedValues values_;
};

}  // namespace runtime
