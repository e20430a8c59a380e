#include "runtime/control_site.h"

#include <olectl.h>

namespace runtime {

HRESULT ControlSite::QueryInterface(REFIID iid, void** object) {
  if (!object || !IsEqualIID(iid, IID_IDispatch)) return ComObject::QueryInterface(iid, object);
  *object = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

HRESULT ControlSite::GetMoniker(DWORD, DWORD, IMoniker** result) {
  if (result) *result = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlSite::GetContainer(IOleContainer** result) {
  if (result) *result = nullptr;
  return E_NOINTERFACE;
}

HRESULT ControlSite::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO*, UINT*) {
  if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (params && params->cArgs) return DISP_E_BADPARAMCOUNT;
  if (!result) return E_POINTER;
  VariantInit(result);
  switch (member) {
    case DISPID_AMBIENT_USERMODE:
      V_VT(result) = VT_BOOL;
      V_BOOL(result) = VARIANT_TRUE;
      return S_OK;
    case DISPID_AMBIENT_DISPLAYNAME:
      V_BSTR(result) = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
      if (!V_BSTR(result)) return E_OUTOFMEMORY;
      V_VT(result) = VT_BSTR;
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace runtime
