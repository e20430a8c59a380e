#include "class_factory.h"

#include <ole2.h>

#include <new>

#include "oxcom.hpp"
#include "server_module.h"
#include "sys_tray.h"

namespace lumicon {
namespace {

class SysTrayFactory final : public ox::ComObject<IClassFactory> {
 public:
  SysTrayFactory() { objectCreated(); }
  ~SysTrayFactory() override { objectDestroyed(); }

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
