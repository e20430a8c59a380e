// One outgoing interface of the control and the sinks advised on it. The
// point lives inside the control and shares its reference count.
#pragma once

#include <ocidl.h>

#include <map>
#include <type_traits>
#include <vector>

#include "oxlensupport.hpp"

namespace lumicon {

// Sink is the interface the control calls the sinks through: IDispatch for a
// dispinterface, which also takes sinks that offer only IDispatch.
template <class Sink>
class ConnectionPoint final : public IConnectionPoint {
 public:
  ConnectionPoint(IConnectionPointContainer& owner, REFIID iid) : owner_(owner), iid_(iid) {}
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  // The sinks as advised right now; a sink may unadvise while being called.
  std::vector<ox::Ptr<Sink>> sinks() const;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** result) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** result) override;

 private:
  static constexpr bool dispinterface = std::is_same_v<Sink, IDispatch>;

  IConnectionPointContainer& owner_;
  IID iid_;
  std::map<DWORD, ox::Ptr<Sink>> sinks_;
  DWORD nextCookie_ = 1;
};

// Built once, in connection_point.cpp, for the control's two points.
extern template class ConnectionPoint<IDispatch>;
extern template class ConnectionPoint<IPropertyNotifySink>;

}  // namespace lumicon
