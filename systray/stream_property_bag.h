// The control's saved properties in a stream: the same named entries that a
// property bag holds, so one pair of read and write routines serves both
// kinds of persistence. Lives on the stack of one Load or Save call.
#pragma once

#include <ocidl.h>

#include "runtime/named_values.h"

namespace lumicon {

class StreamPropertyBag final : public IPropertyBag {
 public:
  StreamPropertyBag() = default;
  StreamPropertyBag(const StreamPropertyBag&) = delete;
  StreamPropertyBag& operator=(const StreamPropertyBag&) = delete;

  // Throw ox::Error when the stream fails or holds something else. Reading
  // stops at an object of any class but the standard picture: nothing is
  // created from it, and no name from there on can be read.
  void load(IStream* stream);
  void save(IStream* stream) const;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  // Booleans, strings and objects that persist themselves into a stream. A
  // name that was not reached is unreadable (STG_E_READFAULT), not missing.
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;

 private:
  runtime::NamedValues values_;
  bool complete_ = true;
};

}  // namespace lumicon
