#include "runtime/event_sink.h"

#include "oxwin32.hpp"

namespace runtime {

HRESULT EventSink::QueryInterface(REFIID iid, void** object) {
  return ComObject::QueryInterface(IsEqualIID(iid, source_) ? IID_IDispatch : iid, object);
}

HRESULT EventSink::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                          UINT*) {
  if (result) VariantInit(result);
  if (!handler_) return S_OK;
  static const DISPPARAMS none = {};
  const Handler handler = handler_;  // the handler may disconnect this sink
  try {
    handler(member, params ? *params : none);
  } catch (...) {
    onFailure_(ox::currentError());
  }
  return S_OK;
}

LONG integerArgument(const DISPPARAMS& arguments, UINT position) {
  if (position >= arguments.cArgs) ox::check(DISP_E_PARAMNOTFOUND);
  VARIANT& argument = arguments.rgvarg[arguments.cArgs - 1 - position];  // listed last first
  ox::Variant value;
  ox::check(VariantChangeType(value.put(), &argument, 0, VT_I4));
  return V_I4(value.get());
}

}  // namespace runtime
