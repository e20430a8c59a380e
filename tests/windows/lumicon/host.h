// The container side of the tests: a client site with ambient properties,
// event and property-change sinks, a property bag, pictures, and controls
// created by ProgID as any host creates them.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Lumicon_h.h"
#include "oxlensupport.hpp"

// Implements IUnknown for one interface (plus IUnknown) with a real count.
template <class Interface>
class TestObject : public Interface {
 public:
  virtual ~TestObject() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || answers(iid)) *result = static_cast<Interface*>(this);
    if (!*result) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (!left) delete this;
    return left;
  }

 protected:
  virtual bool answers(REFIID iid) const = 0;

 private:
  ULONG references_ = 1;
};

// A client site whose ambient dispatch answers UserMode and DisplayName.
class TestSite final : public TestObject<IOleClientSite> {
 public:
  TestSite(bool userMode, std::wstring name) : ambient_(*this), userMode_(userMode), name_(std::move(name)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

 private:
  bool answers(REFIID) const override { return false; }
  class Ambient final : public IDispatch {
   public:
    explicit Ambient(TestSite& site) : site_(site) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
      return site_.QueryInterface(iid, result);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return site_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return site_.Release(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

   private:
    TestSite& site_;
  } ambient_;
  bool userMode_;
  std::wstring name_;
};

struct RaisedEvent {
  DISPID event;
  std::vector<LONG> arguments;  // in declaration order
  bool operator==(const RaisedEvent& other) const { return event == other.event && arguments == other.arguments; }
};

// An event sink that offers only IDispatch, as script engines do.
class EventSink final : public TestObject<IDispatch> {
 public:
  std::vector<RaisedEvent> raised;
  std::function<void(const RaisedEvent&)> onEvent;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) override;

 private:
  bool answers(REFIID iid) const override { return IsEqualIID(iid, IID_IDispatch); }
};

class ChangeSink final : public TestObject<IPropertyNotifySink> {
 public:
  std::vector<DISPID> changed;
  std::function<void(DISPID)> onChanged;
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID property) override {
    changed.push_back(property);
    if (onChanged) onChanged(property);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

 private:
  bool answers(REFIID iid) const override { return IsEqualIID(iid, IID_IPropertyNotifySink); }
};

class TestBag final : public TestObject<IPropertyBag> {
 public:
  ~TestBag() override;
  std::map<std::wstring, VARIANT> values;
  // false: a read answers with the value as stored, whatever type was asked.
  bool coerces = true;
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override;
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;

 private:
  bool answers(REFIID iid) const override { return IsEqualIID(iid, IID_IPropertyBag); }
};

ox::Ptr<IPictureDisp> iconPicture(LPCWSTR standardIcon = reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
ox::Ptr<IPictureDisp> bitmapPicture();
HICON handleOf(IPictureDisp* picture);

// One SysTray created through COM by its ProgID, with the window handle that
// its Initialize line names.
struct Control {
  ox::Ptr<_SysTray> tray;
  HWND window = nullptr;

  template <class I>
  ox::Ptr<I> as() const {
    ox::Ptr<I> result;
    tray->QueryInterface(__uuidof(I), reinterpret_cast<void**>(result.put()));
    return result;
  }
  void show(bool visible) const;
  void caption(const std::wstring& text) const;
  std::wstring caption() const;
  bool visible() const;
  void icon(IPictureDisp* picture) const;
  ox::Ptr<IPictureDisp> icon() const;
  DWORD advise(IUnknown* sink, REFIID iid) const;
  LONG references() const;  // the count, as AddRef and Release report it
};

// site: set first, as OLEMISC_SETCLIENTSITEFIRST asks. initNew: InitProperties.
Control createControl(IOleClientSite* site = nullptr, bool initNew = false);

// Delivers the posted messages of this thread.
void pumpMessages();

// A procedure of the test's put under a window's current one: it records the
// messages that reach it, i.e. what the procedures above it pass on. The old
// procedure is put back when it goes. One at a time.
class PassedOn {
 public:
  explicit PassedOn(HWND window);
  ~PassedOn();
  PassedOn(const PassedOn&) = delete;
  PassedOn& operator=(const PassedOn&) = delete;

  std::vector<UINT> messages;
  // Nothing runs above it any more: it is the window's procedure.
  bool isOutermost() const;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_;
  WNDPROC underlying_;
};

std::wstring hexOf(HWND window);
