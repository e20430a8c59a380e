// SysTray: the ActiveX control that owns one icon in the notification area.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "Lumicon_h.h"
#include "connection_point.h"
#include "dispids.h"
#include "frm_taskbar_hook.h"
#include "notify_record.h"
#include "oxlensupport.hpp"
#include "tray_events.h"
#include "window_procedures.h"

namespace lumicon {

// One step of a routine that goes on whatever happens to it (Terminate,
// reading and writing the stored properties): a failure ends the step only.
template <class Body>
void skippingFailure(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

class SysTray final : public _SysTray,
                      public IConnectionPointContainer,
                      public IProvideClassInfo2,
                      public IOleObject,
                      public IOleControl,
                      public IPersistStreamInit,
                      public IPersistPropertyBag,
                      public IViewObject2,
                      public ICategorizeProperties {
 public:
  static HRESULT create(REFIID iid, void** result);

  // What the control does with a message of its window, called by
  // SubWndProc: the retry tick, the shell's tray callback, its taskbar
  // restart (`taskbarCreated`). True when the message ends here; the rest,
  // the callback and the restart among them, goes on to the window's own
  // procedure.
  bool WindowMessage(UINT message, WPARAM wParam, LPARAM lParam, UINT taskbarCreated);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch, answered from the type library
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** result) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argumentError) override;

  // _SysTray
  HRESULT STDMETHODCALLTYPE putref_Icon(IPictureDisp* vData) override;
  HRESULT STDMETHODCALLTYPE put_Icon(IPictureDisp* vData) override;
  HRESULT STDMETHODCALLTYPE get_Icon(IPictureDisp** vData) override;
  HRESULT STDMETHODCALLTYPE put_Caption(BSTR Tip) override;
  HRESULT STDMETHODCALLTYPE get_Caption(BSTR* Tip) override;
  HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL Show) override;
  HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* Show) override;
  HRESULT STDMETHODCALLTYPE ShowBaloon(BSTR Message, BSTR Title, TrayBaloonFlags Flags, LONG Timeout,
                                       VARIANT* Result) override;
  HRESULT STDMETHODCALLTYPE GetDefaultIcon(IPictureDisp** Picture) override;

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** result) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** result) override;

  // IProvideClassInfo2
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** result) override;
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* result) override;

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override;
  HRESULT STDMETHODCALLTYPE Close(DWORD) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** result) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override;
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** result) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** result) override;
  HRESULT STDMETHODCALLTYPE Update() override;
  HRESULT STDMETHODCALLTYPE IsUpToDate() override;
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* result) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* result) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** result) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override;

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override;
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override;

  // IPersistStreamInit and IPersistPropertyBag
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* result) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

  // ICategorizeProperties: Caption under Misc, Visible under Behavior, Icon in none.
  HRESULT STDMETHODCALLTYPE MapPropertyToCategory(DISPID property, int* category) override;
  HRESULT STDMETHODCALLTYPE GetCategoryName(int category, LCID, BSTR* name) override;

  // IViewObject2
  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                                 LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** result) override;
  HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD* result) override;
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override;
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

 private:
  SysTray();  // Initialize
  ~SysTray();
  SysTray(const SysTray&) = delete;
  SysTray& operator=(const SysTray&) = delete;

  void Terminate() noexcept;

  // Raises the event of one tray mouse message; always 0.
  LRESULT DispatchTrayMessage(LPARAM mouseMessage, WPARAM identifier);
  // Tries a refused add again when the retry timer fires.
  void RetryTrayIcon();
  // The shell lost every icon: the control deletes its own and adds it again.
  void RecoverTrayIcon();

  void setIcon(IPictureDisp* picture);
  void setCaption(const std::wstring& text);
  void setVisible(bool show);
  // What the shell shows changes with the property, when the icon is in.
  void modifyShown(const TrayFields& fields);

  // One shell call for this control's icon; empty when the shell was not asked.
  std::optional<BOOL> notify(DWORD message, const TrayFields& fields);
  // True when the shell took the icon; with NIM_MODIFY, when it has it already.
  bool AddTrayIcon(const std::wstring& caption, IPictureDisp* icon, DWORD message = NIM_ADD);
  // Adds the icon; while the shell refuses, the retry timer tries again after `delay` ms.
  void addOrRetry(UINT delay);
  void stopRetrying();
  void DeleteTrayIcon();
  void attachWindow();
  void detachWindow();

  void HookTaskbar();
  void UnhookTaskbar();

  void InitProperties();
  void ReadProperties(IPropertyBag* bag);
  void WriteProperties(IPropertyBag* bag);

  // Container services; with no client site the control is in run mode.
  bool ambientUserMode() const;
  std::wstring Name() const;
  void PropertyChanged(DISPID property);
  // A host call that reaches the shell or the sinks, either of which may run
  // the host's code (the shell's own messages run inside its calls), and the
  // host may let the control go there: the control outlives the call.
  template <class Body>
  HRESULT heldCall(Body&& body) {
    const ox::Ptr<_SysTray> keepAlive(this);
    return ox::comMethod(std::forward<Body>(body));
  }
  void raiseEvent(SysTrayEvent event, std::initializer_list<LONG> arguments);

  ITypeInfo* typeInfo(REFGUID guid);

  std::atomic<ULONG> references_{1};

  bool VisibleValue = false;
  std::wstring CaptionValue;
  ox::Ptr<IPictureDisp> IconValue;
  bool InTray = false;
  UINT IconID = 0;
  UINT retryDelay_ = 0;  // ms before the next add is tried; 0 while no add waits
  HWND hWndSysTray = nullptr;
  std::unique_ptr<frmTaskbarHook> taskbarHook_;
  SubclassData SubclassData_ = {};

  HBITMAP face_ = nullptr;
  bool dirty_ = false;
  ox::Ptr<IOleClientSite> site_;
  ox::Ptr<IOleAdviseHolder> oleAdvise_;
  ox::Ptr<IAdviseSink> viewAdvise_;
  DWORD viewAdviseAspects_ = 0;
  DWORD viewAdviseFlags_ = 0;
  ox::Ptr<ITypeLib> typeLib_;
  ox::Ptr<ITypeInfo> dispatchInfo_;
  ox::Ptr<ITypeInfo> classInfo_;
  ConnectionPoint<IDispatch> events_{*this, DIID___SysTray};
  ConnectionPoint<IPropertyNotifySink> propertyNotify_{*this, IID_IPropertyNotifySink};
};

}  // namespace lumicon
