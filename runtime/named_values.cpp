#include "runtime/named_values.h"

namespace runtime {

NamedValues::~NamedValues() {
  for (auto& entry : entries_) VariantClear(&entry.second);
}

void NamedValues::add(const std::wstring& name, VARIANT value) {
  try {
    entries_.emplace_back(name, value);
  } catch (...) {
    VariantClear(&value);
    throw;
  }
}

HRESULT NamedValues::read(LPCOLESTR name, VARIANT* value) {
  if (!value) return E_POINTER;
  for (auto& [stored, data] : entries_) {
    if (!name || CompareStringOrdinal(stored.c_str(), -1, name, -1, TRUE) != CSTR_EQUAL) continue;
    const VARTYPE wanted = V_VT(value);
    VariantInit(value);
    if (wanted == VT_EMPTY) return VariantCopy(value, &data);
    return VariantChangeType(value, &data, 0, wanted);
  }
  return E_INVALIDARG;
}

}  // namespace runtime
