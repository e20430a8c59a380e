#include "sys_tray.h"

#include <algorithm>
#include <new>
#include <vector>

#include "bstr_text.h"
#include "oxerror.hpp"
#include "oxwin32.hpp"
#include "diagnostics.h"
#include "picture.h"
#include "server_module.h"

namespace lumicon {
namespace {

// At logon the taskbar may not take icons yet, and no TaskbarCreated follows
// when it already existed: a refused add is tried again ever later.
constexpr UINT kFirstRetryDelay = 1000;
constexpr UINT kLongestRetryDelay = 60000;

// The control window only gives the shell somewhere to send the icon's
// notifications; as a message-only window it never sees broadcasts, which is
// why the taskbar hook exists.
HWND createControlWindow() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = ox::thisModule();
    windowClass.lpszClassName = L"LumiconSysTray";
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  ox::checkWin32(registered);
  const HWND window = CreateWindowExW(0, L"LumiconSysTray", L"SysTray", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      ox::thisModule(), nullptr);
  ox::checkWin32(window != nullptr);
  return window;
}

}  // namespace

HRESULT SysTray::create(REFIID iid, void** result) {
  SysTray* control = nullptr;
  const HRESULT created = ox::comMethod([&] { control = new SysTray; });
  if (FAILED(created)) return created;
  const HRESULT status = control->QueryInterface(iid, result);
  control->Release();
  return status;
}

SysTray::SysTray() {
  hWndSysTray = createControlWindow();
  objectCreated();
  try {
    debugPrint(L"SysTray::Initialize() ==> hWnd = " + hex(hWndSysTray));
  } catch (...) {
    objectDestroyed();
    DestroyWindow(hWndSysTray);
    throw;
  }
  face_ = static_cast<HBITMAP>(LoadImageW(ox::thisModule(), L"BACK", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

SysTray::~SysTray() {
  if (face_) DeleteObject(face_);
  DestroyWindow(hWndSysTray);
  objectDestroyed();
}

void SysTray::Terminate() noexcept {
  skippingFailure([&] { debugPrint(L"SysTray::Terminate() ==> hWnd = " + hex(hWndSysTray)); });
  skippingFailure([&] { UnhookTaskbar(); });
  skippingFailure([&] {
    if (VisibleValue) setVisible(false);
  });
  // A failed step must not leave the window pointing at a control that is gone.
  if (InTray) restoreProcedure(hWndSysTray, SubclassData_.PrevWndProc, PROP_SUBCLASS_DATA);
  if (taskbarHook_) skippingFailure([&] { taskbarHook_->unload(); });
}

// ---- IUnknown -----------------------------------------------------------

HRESULT SysTray::QueryInterface(REFIID iid, void** result) {
  if (!result) return E_POINTER;
  const struct {
    REFIID iid;
    void* found;
  } interfaces[] = {
      {IID_IUnknown, static_cast<_SysTray*>(this)},
      {IID_IDispatch, static_cast<_SysTray*>(this)},
      {IID__SysTray, static_cast<_SysTray*>(this)},
      {IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
      {IID_IProvideClassInfo, static_cast<IProvideClassInfo2*>(this)},
      {IID_IProvideClassInfo2, static_cast<IProvideClassInfo2*>(this)},
      {IID_IOleObject, static_cast<IOleObject*>(this)},
      {IID_IOleControl, static_cast<IOleControl*>(this)},
      {IID_IPersist, static_cast<IPersistStreamInit*>(this)},
      {IID_IPersistStreamInit, static_cast<IPersistStreamInit*>(this)},
      {IID_IPersistPropertyBag, static_cast<IPersistPropertyBag*>(this)},
      {IID_IViewObject, static_cast<IViewObject2*>(this)},
      {IID_IViewObject2, static_cast<IViewObject2*>(this)},
      {IID_ICategorizeProperties, static_cast<ICategorizeProperties*>(this)},
  };
  for (const auto& entry : interfaces) {
    if (IsEqualIID(iid, entry.iid)) {
      *result = entry.found;
      AddRef();
      return S_OK;
    }
  }
  *result = nullptr;
  return E_NOINTERFACE;
}

ULONG SysTray::AddRef() { return ++references_; }

ULONG SysTray::Release() {
  const ULONG left = --references_;
  if (left == 0) {
    // Terminate balances its own counts; hold one so they cannot reach zero again.
    references_ = 1;
    Terminate();
    delete this;
  }
  return left;
}

// ---- IDispatch ----------------------------------------------------------

ITypeInfo* SysTray::typeInfo(REFGUID guid) {
  if (!typeLib_) ox::check(LoadTypeLibEx(ox::modulePath(ox::thisModule()).c_str(), REGKIND_NONE, typeLib_.put()));
  ox::Ptr<ITypeInfo>& info = IsEqualGUID(guid, IID__SysTray) ? dispatchInfo_ : classInfo_;
  if (!info) ox::check(typeLib_->GetTypeInfoOfGuid(guid, info.put()));
  return info.get();
}

HRESULT SysTray::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT SysTray::GetTypeInfo(UINT index, LCID, ITypeInfo** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return ox::comMethod([&] {
    *result = typeInfo(IID__SysTray);
    (*result)->AddRef();
  });
}

HRESULT SysTray::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  ITypeInfo* info = nullptr;
  const HRESULT status = ox::comMethod([&] { info = typeInfo(IID__SysTray); });
  return FAILED(status) ? status : info->GetIDsOfNames(names, count, ids);
}

HRESULT SysTray::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) {
  ITypeInfo* info = nullptr;
  const HRESULT status = ox::comMethod([&] { info = typeInfo(IID__SysTray); });
  if (FAILED(status)) return status;
  return info->Invoke(static_cast<_SysTray*>(this), member, flags, params, result, exception, argumentError);
}

// ---- Properties and methods ---------------------------------------------

HRESULT SysTray::putref_Icon(IPictureDisp* vData) { return heldCall([&] { setIcon(vData); }); }
HRESULT SysTray::put_Icon(IPictureDisp* vData) { return putref_Icon(vData); }

HRESULT SysTray::get_Icon(IPictureDisp** vData) {
  if (!vData) return E_POINTER;
  *vData = IconValue.get();
  if (*vData) (*vData)->AddRef();
  return S_OK;
}

HRESULT SysTray::put_Caption(BSTR Tip) { return heldCall([&] { setCaption(text(Tip)); }); }

HRESULT SysTray::get_Caption(BSTR* Tip) {
  if (!Tip) return E_POINTER;
  *Tip = SysAllocStringLen(CaptionValue.data(), static_cast<UINT>(CaptionValue.size()));
  return *Tip ? S_OK : E_OUTOFMEMORY;
}

HRESULT SysTray::put_Visible(VARIANT_BOOL Show) { return heldCall([&] { setVisible(Show != VARIANT_FALSE); }); }

HRESULT SysTray::get_Visible(VARIANT_BOOL* Show) {
  if (!Show) return E_POINTER;
  *Show = VisibleValue ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT SysTray::ShowBaloon(BSTR Message, BSTR Title, TrayBaloonFlags Flags, LONG Timeout, VARIANT* Result) {
  if (!Result) return E_POINTER;
  VariantInit(Result);
  return heldCall([&] {
    TrayFields fields;
    fields.flags = NIF_INFO;
    fields.info = text(Message);
    fields.timeout = static_cast<UINT>(Timeout);
    fields.infoTitle = text(Title);
    fields.infoFlags = static_cast<DWORD>(Flags);
    const std::optional<BOOL> accepted = notify(NIM_MODIFY, fields);
    if (!accepted) return;
    V_VT(Result) = VT_BOOL;
    V_BOOL(Result) = *accepted ? VARIANT_TRUE : VARIANT_FALSE;
  });
}

HRESULT SysTray::GetDefaultIcon(IPictureDisp** Picture) {
  if (!Picture) return E_POINTER;
  *Picture = nullptr;
  return oxLoadResTrayIconEx(L"A_MAIN", ox::thisModule(), Picture);
}

void SysTray::setIcon(IPictureDisp* picture) {
  HICON handle = nullptr;
  if (picture) {
    if (pictureType(picture) != PICTYPE_ICON) return;
    handle = pictureHandle(picture);
  }
  TrayFields fields;
  fields.flags = NIF_ICON;
  fields.icon = handle;
  modifyShown(fields);
  IconValue = picture;
  PropertyChanged(kDispidIcon);
}

void SysTray::setCaption(const std::wstring& caption) {
  TrayFields fields;
  fields.flags = NIF_TIP;
  fields.tip = caption;
  modifyShown(fields);
  CaptionValue = caption;
  PropertyChanged(kDispidCaption);
}

void SysTray::setVisible(bool show) {
  if (show == VisibleValue) return;
  if (show) {
    if (ambientUserMode()) {
      attachWindow();
      // The icon counts as shown whatever the shell answers, or if adding fails.
      InTray = true;
      VisibleValue = true;
      addOrRetry(kFirstRetryDelay);
    }
  } else if (InTray) {
    stopRetrying();
    DeleteTrayIcon();
    detachWindow();
    InTray = false;
  }
  VisibleValue = show;
  PropertyChanged(kDispidVisible);
}

void SysTray::modifyShown(const TrayFields& fields) {
  if (InTray) notify(NIM_MODIFY, fields);
}

std::optional<BOOL> SysTray::notify(DWORD message, const TrayFields& fields) {
  return notifyShell(message, hWndSysTray, IconID, fields);
}

bool SysTray::AddTrayIcon(const std::wstring& caption, IPictureDisp* icon, DWORD message) {
  TrayFields fields;
  if (icon) {
    fields.icon = pictureHandle(icon);
    fields.flags |= NIF_ICON;
  }
  if (!caption.empty()) {
    fields.tip = caption;
    fields.flags |= NIF_TIP;
  }
  fields.callbackMessage = WM_TRAY_CALLBACK;
  fields.flags |= NIF_MESSAGE;
  return notify(message, fields).value_or(FALSE) != FALSE;
}

void SysTray::addOrRetry(UINT delay) {
  if (AddTrayIcon(CaptionValue, IconValue.get())) {
    stopRetrying();
    return;
  }
  // Setting the timer again replaces its interval.
  ox::checkWin32(SetTimer(hWndSysTray, TIMER_RETRY_ADD, delay, nullptr) != 0);
  retryDelay_ = delay;
}

void SysTray::RetryTrayIcon() {
  // A tick already queued when the retries stopped finds nothing to do.
  if (retryDelay_ == 0) return;
  // An add the shell reported as failed may have got in all the same (a
  // time-out at logon): every add is then refused as a duplicate, while the
  // icon takes a modify.
  if (AddTrayIcon(CaptionValue, IconValue.get(), NIM_MODIFY)) return stopRetrying();
  addOrRetry(std::min(retryDelay_ * 2, kLongestRetryDelay));
}

void SysTray::stopRetrying() {
  if (retryDelay_ == 0) return;
  KillTimer(hWndSysTray, TIMER_RETRY_ADD);
  retryDelay_ = 0;
}

void SysTray::DeleteTrayIcon() { notify(NIM_DELETE, TrayFields{}); }

// Self refers to the control without keeping it alive: the count taken by
// the assignment is given back at once, and detach restores it before the
// reference is dropped.
void SysTray::attachWindow() {
  AddRef();
  SubclassData_.Self = this;
  LONG ignored = 0;
  ox::check(oxObjectRelease(static_cast<_SysTray*>(this), &ignored));
  SubclassData_.PrevWndProc = installProcedure(hWndSysTray, &SubWndProc, PROP_SUBCLASS_DATA, &SubclassData_);
}

void SysTray::detachWindow() {
  restoreProcedure(hWndSysTray, SubclassData_.PrevWndProc, PROP_SUBCLASS_DATA);
  SubclassData_.PrevWndProc = nullptr;
  LONG ignored = 0;
  ox::check(oxObjectAddRef(static_cast<_SysTray*>(SubclassData_.Self), &ignored));
  SubclassData_.Self = nullptr;
  Release();
}

bool SysTray::WindowMessage(UINT message, WPARAM wParam, LPARAM lParam, UINT taskbarCreated) {
  if (message == WM_TIMER && wParam == TIMER_RETRY_ADD) {
    RetryTrayIcon();
    return true;
  }
  if (message == WM_TRAY_CALLBACK)
    DispatchTrayMessage(lParam, wParam);
  else if (isTaskbarRestart(message, taskbarCreated))
    RecoverTrayIcon();
  return false;
}

void SysTray::RecoverTrayIcon() {
  // Hearing of the change, the host may release its last reference between the two steps.
  const ox::Ptr<_SysTray> keepAlive(this);
  debugPrint(L"SubWndProc() ==> WM_TASKBAR_CREATED, hWnd = " + hex(hWndSysTray));
  if (!VisibleValue) return;
  setVisible(false);
  setVisible(true);
}

LRESULT SysTray::DispatchTrayMessage(LPARAM mouseMessage, WPARAM identifier) {
  const LONG shift = shiftState();
  const auto raised = trayEventFor(mouseMessage);
  if (!raised) return 0;
  const LONG id = static_cast<LONG>(identifier);
  if (raised->event == kMouseMove)
    raiseEvent(kMouseMove, {shift, id});
  else
    raiseEvent(raised->event, {raised->button, shift, id});
  return 0;
}

void SysTray::raiseEvent(SysTrayEvent event, std::initializer_list<LONG> arguments) {
  // A handler may release the host's last reference; the control outlives the call.
  const ox::Ptr<_SysTray> keepAlive(this);
  std::vector<ox::Variant> values;
  for (LONG argument : arguments) values.push_back(ox::Variant::integer(argument));
  std::vector<VARIANT> borrowed = ox::borrowLastFirst(values);
  DISPPARAMS params = {borrowed.data(), nullptr, static_cast<UINT>(borrowed.size()), 0};
  for (const ox::Ptr<IDispatch>& sink : events_.sinks())
    sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

// ---- Taskbar hook -------------------------------------------------------

void SysTray::HookTaskbar() {
  if (!ambientUserMode()) return;
  debugPrint(L"SysTray::HookTaskbar() ==> We're in run mode!");
  if (taskbarHook_) {
    debugPrint(L"SysTray::HookTaskbar() ==> Already hooked! Name = " + Name());
    return;
  }
  UINT message = 0;
  ox::check(oxGet_WM_TASKBAR_CREATED(&message));
  setTaskbarCreatedMessage(message);
  if (message == 0) return;
  taskbarHook_ = std::make_unique<frmTaskbarHook>();
  taskbarHook_->Subclass(hWndSysTray);
  debugPrint(L"SysTray::HookTaskbar() ==> Hooked! Name = " + Name());
}

void SysTray::UnhookTaskbar() {
  if (!taskbarHook_) return;
  debugPrint(L"SysTray::UnhookTaskbar() ==> We're in run mode!");
  taskbarHook_->Unsubclass();
  taskbarHook_->unload();
  taskbarHook_.reset();
  debugPrint(L"SysTray::UnhookTaskbar() ==> Unhooked! Name = " + Name());
}

}  // namespace lumicon
