// One ActiveX control on a running form: created through COM by its ProgID,
// sited in run mode, given the form's stored property data, its events
// connected to the form. Properties are set by dispatch identifier. The
// control is released, with everything handed to it, when this object goes.
#pragma once

#include "runtime/event_sink.h"

#include "oxlensupport.hpp"
#include "oxwin32.hpp"

#include <ocidl.h>

#include <initializer_list>
#include <string>

namespace runtime {

class ControlSite;
class PropertyBag;

class ActiveXControl {
 public:
  // name: the control's name on the form. storedData: what the form keeps of
  // it. onFailure: what becomes of a failure inside an event handler.
  ActiveXControl(const wchar_t* progId, const std::wstring& name, PropertyBag& storedData, EventSink::Handler events,
                 ox::FailureHandler onFailure);
  ~ActiveXControl();
  ActiveXControl(const ActiveXControl&) = delete;
  ActiveXControl& operator=(const ActiveXControl&) = delete;

  void putText(DISPID property, const std::wstring& text);
  void putBoolean(DISPID property, bool value);
  // Value assignment of an object (nullptr: none).
  void putObject(DISPID property, IDispatch* object);
  // Reference assignment of an object (nullptr: none).
  void putRefObject(DISPID property, IDispatch* object);
  // Calls a method with its arguments in the order it declares them; what it
  // returns is let go.
  void call(DISPID method, std::initializer_list<ox::Variant> arguments);

 private:
  // Takes back everything handed to the control and lets it go; once only.
  void release();
  void invokePut(DISPID property, WORD kind, const ox::Variant& value);
  // A failure the control describes is raised with its own number and text.
  void invoke(DISPID member, WORD kind, DISPPARAMS& params, VARIANT* result);

  ox::Ptr<IOleObject> object_;
  ox::Ptr<IDispatch> dispatch_;
  ox::Ptr<IConnectionPoint> events_;
  DWORD cookie_ = 0;
  EventSink* sink_ = nullptr;
  ControlSite* site_ = nullptr;
};

}  // namespace runtime
