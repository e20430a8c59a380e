// One outgoing interface of the control and the sinks advised on it. The
// point lives inside the control and shares its reference count.
#pragma once

#include <ocidl.h>

#include <map>
#include <vector>

#include "oxlensupport.hpp"

namespace lumicon {

class ConnectionPoint final : public IConnectionPoint {
 public:
  // A dispinterface point also takes sinks that offer only IDispatch.
  ConnectionPoint(IConnectionPointContainer& owner, REFIID iid, bool dispinterface)
      : owner_(owner), iid_(iid), dispinterface_(dispinterface) {}
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  // The sinks as advised right now; a sink may unadvise while being called.
  std::vector<ox::Ptr<IUnknown>> sinks() const;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** result) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** result) override;

 private:
  IConnectionPointContainer& owner_;
  IID iid_;
  bool dispinterface_;
  std::map<DWORD, ox::Ptr<IUnknown>> sinks_;
  DWORD nextCookie_ = 1;
};

}  // namespace lumicon
