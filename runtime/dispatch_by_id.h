// IDispatch for callers that invoke by dispatch identifier only, as controls
// do with their site's ambient properties and their event sinks: no type
// information and no names. The object itself implements Invoke.
#pragma once

#include <oaidl.h>

namespace runtime {

template <class Base>
class DispatchById : public Base {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** result) override {
    if (result) *result = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
};

}  // namespace runtime
