// Receives a control's events through its default source interface and
// hands each one, by dispatch identifier, to the form that holds the control.
// What a handler throws goes to the owner's failure handler: it must not
// cross into the control.
#pragma once

#include "oxcom.hpp"
#include "oxerror.hpp"
#include "runtime/dispatch_by_id.h"

#include <oaidl.h>

#include <functional>

namespace runtime {

class EventSink final : public DispatchById<ox::ComObject<IDispatch>> {
 public:
  // arguments: the event's parameters in their declared order.
  using Handler = std::function<void(DISPID event, const DISPPARAMS& arguments)>;

  // Counted once for the caller. source: the control's event interface.
  static EventSink* create(const IID& source, Handler handler, ox::FailureHandler onFailure) {
    return new EventSink(source, std::move(handler), onFailure);
  }

  // Handlers run until the sink is disconnected; later events are dropped.
  void disconnect() { handler_ = nullptr; }

  // Also answers as the control's event interface, which it stands for.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) override;

 private:
  EventSink(const IID& source, Handler handler, ox::FailureHandler onFailure)
      : source_(source), handler_(std::move(handler)), onFailure_(onFailure) {}

  IID source_;
  Handler handler_;
  ox::FailureHandler onFailure_;
};

// An event's integer parameter, by its position in the declaration.
LONG integerArgument(const DISPPARAMS& arguments, UINT position);

}  // namespace runtime
