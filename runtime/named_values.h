// The named values of a property bag: what a form stores for a control, and
// what a control saves of itself. Names compare without case, as stored form
// data does.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>
#include <vector>

namespace runtime {

class NamedValues {
 public:
  using Entry = std::pair<std::wstring, VARIANT>;

  NamedValues() = default;
  ~NamedValues();
  NamedValues(const NamedValues&) = delete;
  NamedValues& operator=(const NamedValues&) = delete;

  // Takes the value over; it is cleared when it cannot be added.
  void add(const std::wstring& name, VARIANT value);
  // IPropertyBag::Read: the value in the type that *value asks for (any type
  // when VT_EMPTY); E_INVALIDARG when there is no such name.
  HRESULT read(LPCOLESTR name, VARIANT* value);
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

}  // namespace runtime
