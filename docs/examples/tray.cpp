// Lumicon from C++: creates the SysTray control through COM, shows its icon
// with a tooltip and a balloon, and prints the icon's mouse events while it
// runs.   tray.exe [seconds]   (default 30)
// Build with the header that widl or MIDL makes from Lumicon.idl; link ole32,
// oleaut32 and uuid.
#include <windows.h>
#include <ocidl.h>

#include <cstdio>
#include <cstdlib>

#include "Lumicon_h.h"

namespace {

// The events arrive through IDispatch::Invoke of the source interface
// __SysTray: 1 MouseMove(Shift, ID), 2 MouseDown, 3 MouseUp and
// 4 MouseDblClick(Button, Shift, ID). Arguments come last first.
class TrayEvents final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID___SysTray)) {
      *result = this;
      return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on main's stack, longer than the connection.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID event, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    static const char* const names[] = {"", "MouseMove", "MouseDown", "MouseUp", "MouseDblClick"};
    if (event < 1 || event > 4) return S_OK;
    std::printf("%s", names[event]);
    for (UINT i = params->cArgs; i-- > 0;) std::printf(" %ld", V_I4(&params->rgvarg[i]));
    std::printf("\n");
    return S_OK;
  }
};

bool succeeded(HRESULT status, const char* step) {
  if (SUCCEEDED(status)) return true;
  std::printf("%s failed: 0x%08lX\n", step, static_cast<unsigned long>(status));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const DWORD seconds = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 30;
  if (!succeeded(CoInitialize(nullptr), "CoInitialize")) return 1;
  int exitCode = 1;
  _SysTray* tray = nullptr;
  if (succeeded(CoCreateInstance(CLSID_SysTray, nullptr, CLSCTX_INPROC_SERVER, IID__SysTray,
                                 reinterpret_cast<void**>(&tray)),
                "creating Lumicon.SysTray")) {
    // Events: advise a sink on the control's connection point.
    TrayEvents events;
    IConnectionPointContainer* container = nullptr;
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
    tray->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (container && succeeded(container->FindConnectionPoint(DIID___SysTray, &point), "FindConnectionPoint"))
      point->Advise(&events, &cookie);

    // The icon: the library's own picture, a tooltip, then Visible adds it.
    IPictureDisp* icon = nullptr;
    tray->GetDefaultIcon(&icon);
    tray->putref_Icon(icon);
    BSTR caption = SysAllocString(L"Lumicon example");
    tray->put_Caption(caption);
    tray->put_Visible(VARIANT_TRUE);
    std::printf("icon shown\n");

    // A balloon; the result says whether the shell took it (empty before 5.0).
    BSTR message = SysAllocString(L"Click the icon");
    BSTR title = SysAllocString(L"Lumicon");
    VARIANT shown;
    VariantInit(&shown);
    tray->ShowBaloon(message, title, tbfInfo, 5000, &shown);
    std::printf("balloon answered: %s\n", V_VT(&shown) == VT_EMPTY ? "empty" : "yes or no");
    std::fflush(stdout);

    // The icon's notifications reach the control's window through this
    // thread's messages.
    const DWORD end = GetTickCount() + seconds * 1000;
    for (DWORD now = GetTickCount(); now < end; now = GetTickCount()) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      std::fflush(stdout);
    }

    tray->put_Visible(VARIANT_FALSE);  // the icon leaves the notification area
    if (point) point->Unadvise(cookie);
    if (point) point->Release();
    if (container) container->Release();
    if (icon) icon->Release();
    VariantClear(&shown);
    SysFreeString(title);
    SysFreeString(message);
    SysFreeString(caption);
    tray->Release();
    exitCode = 0;
  }
  CoUninitialize();
  return exitCode;
}
