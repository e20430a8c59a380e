// Where a control sits on a running form: its client site, and the ambient
// properties it asks the form for (run mode, its own name).
#pragma once

#include "oxcom.hpp"
#include "runtime/dispatch_by_id.h"

#include <ole2.h>

#include <string>

namespace runtime {

class ControlSite final : public ox::ComObject<IOleClientSite>, public DispatchById<IDispatch> {
 public:
  // Counted once for the caller.
  static ControlSite* create(const std::wstring& name) { return new ControlSite(name); }

  // One object, one count, for both interfaces.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ComObject::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return ComObject::Release(); }

  // IOleClientSite: a running form has no document to save or show.
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** result) override;
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** result) override;
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IDispatch: the ambient properties, by their fixed identifiers.
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) override;

 private:
  explicit ControlSite(const std::wstring& name) : name_(name) {}

  std::wstring name_;
};

}  // namespace runtime
