#include "runtime/named_values.h"

namespace runtime {

void NamedValues::add(const std::wstring& name, ox::Variant value) { entries_.emplace_back(name, std::move(value)); }

HRESULT NamedValues::read(LPCOLESTR name, VARIANT* value) {
  if (!value) return E_POINTER;
  for (auto& [stored, data] : entries_) {
    if (!name || CompareStringOrdinal(stored.c_str(), -1, name, -1, TRUE) != CSTR_EQUAL) continue;
    const VARTYPE wanted = V_VT(value);
    VariantInit(value);
    if (wanted == VT_EMPTY) return VariantCopy(value, data.get());
    return VariantChangeType(value, data.get(), 0, wanted);
  }
  return E_INVALIDARG;
}

}  // namespace runtime
