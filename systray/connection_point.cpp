#include "connection_point.h"

#include <olectl.h>

namespace lumicon {

template <class Sink>
std::vector<ox::Ptr<Sink>> ConnectionPoint<Sink>::sinks() const {
  std::vector<ox::Ptr<Sink>> list;
  for (const auto& entry : sinks_) list.push_back(entry.second);
  return list;
}

template <class Sink>
HRESULT ConnectionPoint<Sink>::QueryInterface(REFIID iid, void** result) {
  if (!result) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
    *result = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *result = nullptr;
  return E_NOINTERFACE;
}

template <class Sink>
HRESULT ConnectionPoint<Sink>::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

template <class Sink>
HRESULT ConnectionPoint<Sink>::GetConnectionPointContainer(IConnectionPointContainer** result) {
  if (!result) return E_POINTER;
  *result = &owner_;
  owner_.AddRef();
  return S_OK;
}

template <class Sink>
HRESULT ConnectionPoint<Sink>::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  ox::Ptr<Sink> typed;
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(typed.put()))) &&
      (!dispinterface || FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(typed.put())))))
    return CONNECT_E_CANNOTCONNECT;
  *cookie = nextCookie_++;
  sinks_.emplace(*cookie, std::move(typed));
  return S_OK;
}

template <class Sink>
HRESULT ConnectionPoint<Sink>::Unadvise(DWORD cookie) {
  return sinks_.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
}

template <class Sink>
HRESULT ConnectionPoint<Sink>::EnumConnections(IEnumConnections** result) {
  if (result) *result = nullptr;
  return E_NOTIMPL;
}

template class ConnectionPoint<IDispatch>;
template class ConnectionPoint<IPropertyNotifySink>;

}  // namespace lumicon
