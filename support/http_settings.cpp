// HttpSettings: which proxy a request goes through.
#include "oxlensupport.h"

#include "com_object.h"

using namespace oxs;

namespace {

class HttpSettings : public ComObject<IOxHttpSettings> {
 public:
  HRESULT STDMETHODCALLTYPE put_Mode(LONG mode) override {
    return ox::comMethod([&] {
      if (mode < 0 || mode > 2) fail(E_INVALIDARG, L"Mode: 0, 1 или 2");
      mode_ = mode;
    });
  }
  HRESULT STDMETHODCALLTYPE get_Mode(LONG* mode) override {
    return ox::comMethod([&] {
      requirePointer(mode);
      *mode = mode_;
    });
  }

 private:
  LONG mode_ = 0;
};

}  // namespace

OXAPI oxCreateHttpSettings(IOxHttpSettings** result) { return createObject<HttpSettings>(result); }
