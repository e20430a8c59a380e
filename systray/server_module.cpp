#include "server_module.h"

#include <ole2.h>

#include <atomic>

#include "Lumicon_h.h"
#include "class_factory.h"

namespace lumicon {
namespace {

std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

}  // namespace

void objectCreated() { ++liveObjects; }
void objectDestroyed() { --liveObjects; }
void lockServer(bool lock) { lock ? ++serverLocks : --serverLocks; }

}  // namespace lumicon

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_SysTray)) return CLASS_E_CLASSNOTAVAILABLE;
  return lumicon::createSysTrayFactory(iid, result);
}

STDAPI DllCanUnloadNow() {
  return lumicon::liveObjects == 0 && lumicon::serverLocks == 0 ? S_OK : S_FALSE;
}
