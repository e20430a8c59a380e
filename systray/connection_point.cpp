#include "connection_point.h"

#include <olectl.h>

namespace lumicon {

std::vector<ox::Ptr<IUnknown>> ConnectionPoint::sinks() const {
  std::vector<ox::Ptr<IUnknown>> list;
  for (const auto& entry : sinks_) list.push_back(entry.second);
  return list;
}

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void** result) {
  if (!result) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
    *result = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *result = nullptr;
  return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** result) {
  if (!result) return E_POINTER;
  *result = &owner_;
  owner_.AddRef();
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  ox::Ptr<IUnknown> typed;
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(typed.put()))) &&
      (!dispinterface_ || FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(typed.put())))))
    return CONNECT_E_CANNOTCONNECT;
  *cookie = nextCookie_++;
  sinks_.emplace(*cookie, std::move(typed));
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
  return sinks_.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** result) {
  if (result) *result = nullptr;
  return E_NOTIMPL;
}

}  // namespace lumicon
