#include "class_factory.h"

#include <ole2.h>

#include <atomic>
#include <new>

#include "server_module.h"
#include "sys_tray.h"

namespace lumicon {
namespace {

class SysTrayFactory final : public IClassFactory {
 public:
  SysTrayFactory() { objectCreated(); }
  ~SysTrayFactory() { objectDestroyed(); }
  SysTrayFactory(const SysTrayFactory&) = delete;
  SysTrayFactory& operator=(const SysTrayFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
    if (!result) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *result = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** result) override {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return SysTray::create(iid, result);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lockServer(lock != FALSE);
    return S_OK;
  }

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace

HRESULT createSysTrayFactory(REFIID iid, void** result) {
  SysTrayFactory* factory = new (std::nothrow) SysTrayFactory;
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT status = factory->QueryInterface(iid, result);
  factory->Release();
  return status;
}

}  // namespace lumicon
