#include "host.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "spy.h"

HRESULT TestSite::QueryInterface(REFIID iid, void** result) {
  if (result && IsEqualIID(iid, IID_IDispatch)) {
    *result = &ambient_;
    AddRef();
    return S_OK;
  }
  if (result && IsEqualIID(iid, IID_IOleClientSite)) {
    *result = static_cast<IOleClientSite*>(this);
    AddRef();
    return S_OK;
  }
  return TestObject<IOleClientSite>::QueryInterface(iid, result);
}

HRESULT TestSite::Ambient::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                  UINT*) {
  VariantInit(result);
  if (member == DISPID_AMBIENT_USERMODE) {
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = site_.userMode_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  if (member == DISPID_AMBIENT_DISPLAYNAME) {
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = SysAllocString(site_.name_.c_str());
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT EventSink::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
  RaisedEvent event{member, {}};
  for (UINT i = params->cArgs; i-- > 0;) {
    EXPECT_EQ(V_VT(&params->rgvarg[i]), VT_I4);
    event.arguments.push_back(V_I4(&params->rgvarg[i]));
  }
  raised.push_back(event);
  if (onEvent) onEvent(event);
  return S_OK;
}

TestBag::~TestBag() {
  for (auto& entry : values) VariantClear(&entry.second);
}

HRESULT TestBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  const auto found = values.find(name);
  if (found == values.end()) return E_INVALIDARG;
  if (V_VT(value) == VT_EMPTY || !coerces) return VariantCopy(value, &found->second);
  return VariantChangeType(value, &found->second, 0, V_VT(value));
}

HRESULT TestBag::Write(LPCOLESTR name, VARIANT* value) {
  VARIANT copy;
  VariantInit(&copy);
  VariantCopy(&copy, value);
  VariantClear(&values[name]);
  values[name] = copy;
  return S_OK;
}

ox::Ptr<IPictureDisp> iconPicture(LPCWSTR standardIcon) {
  PICTDESC description = {};
  description.cbSizeofstruct = sizeof description;
  description.picType = PICTYPE_ICON;
  description.icon.hicon = LoadIconW(nullptr, standardIcon);
  ox::Ptr<IPictureDisp> picture;
  EXPECT_HRESULT_SUCCEEDED(
      OleCreatePictureIndirect(&description, IID_IPictureDisp, FALSE, reinterpret_cast<void**>(picture.put())));
  return picture;
}

ox::Ptr<IPictureDisp> bitmapPicture() {
  PICTDESC description = {};
  description.cbSizeofstruct = sizeof description;
  description.picType = PICTYPE_BITMAP;
  description.bmp.hbitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  ox::Ptr<IPictureDisp> picture;
  EXPECT_HRESULT_SUCCEEDED(
      OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(picture.put())));
  return picture;
}

HICON handleOf(IPictureDisp* picture) {
  ox::Ptr<IPicture> direct;
  picture->QueryInterface(IID_IPicture, reinterpret_cast<void**>(direct.put()));
  OLE_HANDLE handle = 0;
  direct->get_Handle(&handle);
  return reinterpret_cast<HICON>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
}

void Control::show(bool visible) const {
  EXPECT_HRESULT_SUCCEEDED(tray->put_Visible(visible ? VARIANT_TRUE : VARIANT_FALSE));
}

void Control::caption(const std::wstring& text) const {
  const ox::Bstr value(text);
  EXPECT_HRESULT_SUCCEEDED(tray->put_Caption(value.get()));
}

std::wstring Control::caption() const {
  ox::Bstr value;
  EXPECT_HRESULT_SUCCEEDED(tray->get_Caption(value.put()));
  return value.str();
}

bool Control::visible() const {
  VARIANT_BOOL value = VARIANT_FALSE;
  EXPECT_HRESULT_SUCCEEDED(tray->get_Visible(&value));
  return value != VARIANT_FALSE;
}

void Control::icon(IPictureDisp* picture) const { EXPECT_HRESULT_SUCCEEDED(tray->putref_Icon(picture)); }

ox::Ptr<IPictureDisp> Control::icon() const {
  ox::Ptr<IPictureDisp> picture;
  EXPECT_HRESULT_SUCCEEDED(tray->get_Icon(picture.put()));
  return picture;
}

DWORD Control::advise(IUnknown* sink, REFIID iid) const {
  ox::Ptr<IConnectionPoint> point;
  EXPECT_HRESULT_SUCCEEDED(as<IConnectionPointContainer>()->FindConnectionPoint(iid, point.put()));
  DWORD cookie = 0;
  EXPECT_HRESULT_SUCCEEDED(point->Advise(sink, &cookie));
  return cookie;
}

LONG Control::references() const {
  tray->AddRef();
  return static_cast<LONG>(tray->Release());
}

Control createControl(IOleClientSite* site, bool initNew) {
  const size_t from = spy::lines.size();
  CLSID clsid;
  EXPECT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"Lumicon.SysTray", &clsid));
  Control control;
  EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__SysTray,
                                            reinterpret_cast<void**>(control.tray.put())));
  const std::wstring prefix = L"SysTray::Initialize() ==> hWnd = ";
  for (const std::wstring& line : spy::linesSince(from))
    if (line.compare(0, prefix.size(), prefix) == 0)
      control.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(std::wcstoul(line.c_str() + prefix.size(), nullptr, 16)));
  EXPECT_TRUE(IsWindow(control.window));
  if (site) {
    EXPECT_HRESULT_SUCCEEDED(control.as<IOleObject>()->SetClientSite(site));
  }
  if (initNew) {
    EXPECT_HRESULT_SUCCEEDED(control.as<IPersistStreamInit>()->InitNew());
  }
  return control;
}

void pumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

namespace {
PassedOn* currentPassedOn = nullptr;
}  // namespace

PassedOn::PassedOn(HWND window)
    : window_(window),
      underlying_(reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&procedure)))) {
  currentPassedOn = this;
}

PassedOn::~PassedOn() {
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(underlying_));
  currentPassedOn = nullptr;
}

bool PassedOn::isOutermost() const {
  return GetWindowLongPtrW(window_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&procedure);
}

LRESULT CALLBACK PassedOn::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  currentPassedOn->messages.push_back(message);
  return CallWindowProcW(currentPassedOn->underlying_, window, message, wParam, lParam);
}

std::wstring hexOf(HWND window) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%08lX", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
  return text;
}
