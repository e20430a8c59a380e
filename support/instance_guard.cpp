// InstanceGuard: one named mutex per key, held while the object lives.
#include "oxlensupport.h"

#include <string>
#include <vector>

#include "com_object.h"
#include "handles.h"
#include "text_helpers.h"

using namespace oxs;

namespace {

class InstanceGuard : public ComObject<IOxInstanceGuard> {
 public:
  HRESULT STDMETHODCALLTYPE IsFirstInstance(LPCWSTR key, VARIANT_BOOL* result) override {
    return ox::comMethod([&] {
      requirePointer(result);
      if (!key || !*key) fail(E_INVALIDARG, L"Пустой ключ");
      *result = isFirst(key) ? VARIANT_TRUE : VARIANT_FALSE;
    });
  }

 private:
  struct Held {
    std::wstring key;
    UniqueHandle mutex;
    bool first;
  };

  bool isFirst(const std::wstring& key) {
    for (const Held& held : held_) {
      if (held.key == key) return held.first;
    }
    std::wstring name = L"Local\\Oxlen." + key;
    for (size_t i = 6; i < name.size(); ++i) {  // a backslash would name a namespace
      if (name[i] == L'\\') name[i] = L'_';
    }
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    if (!mutex && error != ERROR_ACCESS_DENIED) failWin32(error, name);
    // Access denied: another user's instance made it with its own security.
    const bool first = mutex && error != ERROR_ALREADY_EXISTS;
    held_.push_back(Held{key, UniqueHandle(mutex), first});
    return first;
  }

  std::vector<Held> held_;
};

}  // namespace

OXAPI oxCreateInstanceGuard(IOxInstanceGuard** result) { return createObject<InstanceGuard>(result); }
