// The SysTray control as an OLE control: its container's site and ambient
// properties, connection points, class information and design-time face.
#include <new>

#include "bstr_text.h"
#include "oxerror.hpp"
#include "oxwin32.hpp"
#include "server_module.h"
#include "sys_tray.h"

namespace lumicon {
namespace {

constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INVISIBLEATRUNTIME | OLEMISC_NOUIACTIVATE |
                              OLEMISC_SETCLIENTSITEFIRST;
static_assert(kMiscStatus == 0x24591);

// 570 twips (the 38 pixels of the face) in HIMETRIC; the control can't be resized.
constexpr LONG kExtentHimetric = 570 * 2540 / 1440;

// An ambient property of the site, in `type`; false when the site doesn't provide it.
bool readAmbient(IOleClientSite* site, DISPID property, VARTYPE type, ox::Variant& value) {
  if (!site) return false;
  ox::Ptr<IDispatch> ambient;
  if (FAILED(site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(ambient.put())))) return false;
  DISPPARAMS none = {};
  const HRESULT status = ambient->Invoke(property, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                         value.put(), nullptr, nullptr);
  if (status == DISP_E_MEMBERNOTFOUND) return false;
  ox::check(status);
  ox::check(VariantChangeType(value.get(), value.get(), 0, type));
  return true;
}

}  // namespace

bool SysTray::ambientUserMode() const {
  ox::Variant value;
  return !readAmbient(site_.get(), DISPID_AMBIENT_USERMODE, VT_BOOL, value) || V_BOOL(value.get()) != VARIANT_FALSE;
}

std::wstring SysTray::Name() const {
  ox::Variant value;
  if (!readAmbient(site_.get(), DISPID_AMBIENT_DISPLAYNAME, VT_BSTR, value)) return std::wstring();
  return text(V_BSTR(value.get()));
}

void SysTray::PropertyChanged(DISPID property) {
  dirty_ = true;
  // A sink may release the host's last reference; the others still hear of the change.
  const ox::Ptr<_SysTray> keepAlive(this);
  for (const ox::Ptr<IPropertyNotifySink>& sink : propertyNotify_.sinks()) sink->OnChanged(property);
}

// ---- IConnectionPointContainer ------------------------------------------

HRESULT SysTray::EnumConnectionPoints(IEnumConnectionPoints** result) {
  if (result) *result = nullptr;
  return E_NOTIMPL;
}

HRESULT SysTray::FindConnectionPoint(REFIID iid, IConnectionPoint** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  if (IsEqualIID(iid, DIID___SysTray))
    *result = &events_;
  else if (IsEqualIID(iid, IID_IPropertyNotifySink))
    *result = &propertyNotify_;
  else
    return CONNECT_E_NOCONNECTION;
  AddRef();
  return S_OK;
}

// ---- IProvideClassInfo2 -------------------------------------------------

HRESULT SysTray::GetClassInfo(ITypeInfo** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  return ox::comMethod([&] {
    *result = typeInfo(CLSID_SysTray);
    (*result)->AddRef();
  });
}

HRESULT SysTray::GetGUID(DWORD kind, GUID* result) {
  if (!result) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
  *result = DIID___SysTray;
  return S_OK;
}

// ---- IOleObject ---------------------------------------------------------

HRESULT SysTray::SetClientSite(IOleClientSite* site) {
  site_ = site;
  return S_OK;
}

HRESULT SysTray::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = site_.get();
  if (*site) (*site)->AddRef();
  return S_OK;
}

HRESULT SysTray::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }
HRESULT SysTray::Close(DWORD) { return S_OK; }
HRESULT SysTray::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT SysTray::GetMoniker(DWORD, DWORD, IMoniker** result) {
  if (result) *result = nullptr;
  return E_NOTIMPL;
}

HRESULT SysTray::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT SysTray::GetClipboardData(DWORD, IDataObject** result) {
  if (result) *result = nullptr;
  return E_NOTIMPL;
}

// Invisible at run time and never active: the standard verbs succeed doing nothing.
HRESULT SysTray::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) {
  return verb <= 0 && verb >= OLEIVERB_DISCARDUNDOSTATE ? S_OK : OLEOBJ_S_INVALIDVERB;
}

HRESULT SysTray::EnumVerbs(IEnumOLEVERB** result) {
  if (result) *result = nullptr;
  return OLEOBJ_E_NOVERBS;
}

HRESULT SysTray::Update() { return S_OK; }
HRESULT SysTray::IsUpToDate() { return S_OK; }

HRESULT SysTray::GetUserClassID(CLSID* result) {
  if (!result) return E_POINTER;
  *result = CLSID_SysTray;
  return S_OK;
}

HRESULT SysTray::GetUserType(DWORD form, LPOLESTR* result) { return OleRegGetUserType(CLSID_SysTray, form, result); }

HRESULT SysTray::SetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  return aspect == DVASPECT_CONTENT ? S_OK : E_INVALIDARG;
}

HRESULT SysTray::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_INVALIDARG;
  size->cx = size->cy = kExtentHimetric;
  return S_OK;
}

HRESULT SysTray::Advise(IAdviseSink* sink, DWORD* cookie) {
  if (!oleAdvise_) {
    const HRESULT status = CreateOleAdviseHolder(oleAdvise_.put());
    if (FAILED(status)) return status;
  }
  return oleAdvise_->Advise(sink, cookie);
}

HRESULT SysTray::Unadvise(DWORD cookie) {
  return oleAdvise_ ? oleAdvise_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT SysTray::EnumAdvise(IEnumSTATDATA** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  return oleAdvise_ ? oleAdvise_->EnumAdvise(result) : S_OK;
}

HRESULT SysTray::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = kMiscStatus;
  return S_OK;
}

HRESULT SysTray::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---- IOleControl --------------------------------------------------------

HRESULT SysTray::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  info->cb = sizeof *info;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

HRESULT SysTray::OnMnemonic(MSG*) { return E_NOTIMPL; }
// Ambient properties are read when they are needed, so a change needs no work.
HRESULT SysTray::OnAmbientPropertyChange(DISPID) { return S_OK; }
HRESULT SysTray::FreezeEvents(BOOL) { return S_OK; }

// ---- IViewObject2 -------------------------------------------------------

HRESULT SysTray::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!dc || !bounds) return E_INVALIDARG;
  if (!face_) return E_FAIL;
  const HDC source = CreateCompatibleDC(dc);
  if (!source) return E_OUTOFMEMORY;
  const HGDIOBJ previous = SelectObject(source, face_);
  BITMAP size = {};
  GetObjectW(face_, sizeof size, &size);
  const BOOL drawn = StretchBlt(dc, bounds->left, bounds->top, bounds->right - bounds->left,
                                bounds->bottom - bounds->top, source, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
  SelectObject(source, previous);
  DeleteDC(source);
  return drawn ? S_OK : E_FAIL;
}

HRESULT SysTray::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** result) {
  if (result) *result = nullptr;
  return S_FALSE;
}

HRESULT SysTray::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }
HRESULT SysTray::Unfreeze(DWORD) { return E_NOTIMPL; }

HRESULT SysTray::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  viewAdvise_ = sink;
  viewAdviseAspects_ = aspects;
  viewAdviseFlags_ = flags;
  return S_OK;
}

HRESULT SysTray::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = viewAdviseAspects_;
  if (flags) *flags = viewAdviseFlags_;
  if (sink) {
    *sink = viewAdvise_.get();
    if (*sink) (*sink)->AddRef();
  }
  return S_OK;
}

HRESULT SysTray::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

}  // namespace lumicon
