#include "runtime/activex_control.h"

#include "runtime/control_site.h"
#include "runtime/property_bag.h"

#include <vector>

namespace runtime {
namespace {

template <class T>
ox::Ptr<T> query(IUnknown* object, const IID& iid) {
  ox::Ptr<T> result;
  ox::check(object->QueryInterface(iid, reinterpret_cast<void**>(result.put())));
  return result;
}

}  // namespace

ActiveXControl::ActiveXControl(const wchar_t* progId, const std::wstring& name, PropertyBag& storedData,
                               EventSink::Handler events, ox::FailureHandler onFailure)
    : site_(ControlSite::create(name)) {
  // Whatever was handed out so far is taken back if a later step fails.
  struct Undo {
    ActiveXControl* control;
    ~Undo() {
      if (control) control->release();
    }
  } undo{this};

  CLSID classId;
  HRESULT created = CLSIDFromProgID(progId, &classId);
  if (SUCCEEDED(created))
    created = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                               reinterpret_cast<void**>(object_.put()));
  if (FAILED(created))
    throw ox::Error{static_cast<long>(created),
                    L"Не удаётся создать элемент управления " + std::wstring(progId) + L". " + ox::describeStatus(created)};
  // Sited before loading, so that the control knows it runs while it reads
  // its properties.
  ox::check(object_->SetClientSite(site_));
  ox::check(query<IPersistPropertyBag>(object_.get(), IID_IPersistPropertyBag)->Load(&storedData, nullptr));

  IID source;
  ox::check(query<IProvideClassInfo2>(object_.get(), IID_IProvideClassInfo2)
                ->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
  ox::check(query<IConnectionPointContainer>(object_.get(), IID_IConnectionPointContainer)
                ->FindConnectionPoint(source, events_.put()));
  sink_ = EventSink::create(source, std::move(events), onFailure);
  ox::check(events_->Advise(static_cast<IDispatch*>(sink_), &cookie_));

  dispatch_ = query<IDispatch>(object_.get(), IID_IDispatch);
  undo.control = nullptr;
}

ActiveXControl::~ActiveXControl() { release(); }

void ActiveXControl::release() {
  if (sink_) sink_->disconnect();
  if (events_ && cookie_) events_->Unadvise(cookie_);
  events_ = nullptr;
  dispatch_ = nullptr;
  if (object_) {
    // The control ends here, while its site still answers its ambient
    // properties (its name among them); it lets the site go itself.
    object_->Close(OLECLOSE_NOSAVE);
    object_ = nullptr;
  }
  if (sink_) sink_->Release();
  sink_ = nullptr;
  if (site_) site_->Release();
  site_ = nullptr;
}

void ActiveXControl::invokePut(DISPID property, WORD kind, const ox::Variant& value) {
  VARIANT borrowed = *value.get();  // a shallow copy: Invoke only reads it, value frees it
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {&borrowed, &named, 1, 1};
  invoke(property, kind, params, nullptr);
}

void ActiveXControl::invoke(DISPID member, WORD kind, DISPPARAMS& params, VARIANT* result) {
  EXCEPINFO exception = {};
  const HRESULT status =
      dispatch_->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, &exception, nullptr);
  if (status == DISP_E_EXCEPTION) {
    const std::wstring description = exception.bstrDescription ? exception.bstrDescription : L"";
    const long number = exception.scode ? exception.scode : exception.wCode;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    throw ox::Error{number, description};
  }
  ox::check(status);
}

void ActiveXControl::call(DISPID method, std::initializer_list<ox::Variant> arguments) {
  std::vector<VARIANT> borrowed = ox::borrowLastFirst(arguments);
  DISPPARAMS params = {borrowed.data(), nullptr, static_cast<UINT>(borrowed.size()), 0};
  ox::Variant result;
  invoke(method, DISPATCH_METHOD, params, result.put());
}

void ActiveXControl::putText(DISPID property, const std::wstring& text) {
  invokePut(property, DISPATCH_PROPERTYPUT, ox::Variant(text));
}

void ActiveXControl::putBoolean(DISPID property, bool value) {
  invokePut(property, DISPATCH_PROPERTYPUT, ox::Variant::boolean(value));
}

void ActiveXControl::putObject(DISPID property, IDispatch* object) {
  invokePut(property, DISPATCH_PROPERTYPUT, ox::Variant::object(object));
}

void ActiveXControl::putRefObject(DISPID property, IDispatch* object) {
  invokePut(property, DISPATCH_PROPERTYPUTREF, ox::Variant::object(object));
}

}  // namespace runtime
