// The named values of a property bag: what a form stores for a control, and
// what a control saves of itself. Names compare without case, as stored form
// data does.
#pragma once

#include "oxwin32.hpp"

#include <string>
#include <utility>
#include <vector>

namespace runtime {

class NamedValues {
 public:
  using Entry = std::pair<std::wstring, ox::Variant>;

  void add(const std::wstring& name, ox::Variant value);
  // IPropertyBag::Read: the value in the type that *value asks for (any type
  // when VT_EMPTY); E_INVALIDARG when there is no such name.
  HRESULT read(LPCOLESTR name, VARIANT* value);
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

}  // namespace runtime
