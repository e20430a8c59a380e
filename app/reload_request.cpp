#include "app/reload_request.h"

#include "runtime/application.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

struct PendingRequests {
  std::mutex lock;
  std::condition_variable done;
  int count = 0;
};

// Never destroyed: a request still waiting when the process ends is cut off
// by that end, and must not find this gone before.
PendingRequests& pending() {
  static PendingRequests* const requests = new PendingRequests;
  return *requests;
}

void countRequest(int change) {
  PendingRequests& requests = pending();
  {
    const std::lock_guard<std::mutex> held(requests.lock);
    requests.count += change;
  }
  requests.done.notify_all();
}

}  // namespace

// Each step runs even when the one before it failed.
void SendReloadRequest() {
  ox::Ptr<IOxHttpSettings> settings;
  oxCreateHttpSettings(settings.put());
  if (settings) settings->put_Mode(0);
  ox::Ptr<IOxHttpRequest> request;
  oxCreateHttpRequest(request.put());
  if (!request) return;
  request->putref_Settings(settings.get());
  // The application object belongs to this thread: asked here, not there.
  ox::Bstr identity;
  request->IdentityFromApp(&runtime::application(), identity.put());
  countRequest(+1);
  try {
    std::thread([request, userAgent = identity.str()] {
      LONG status = 0;
      request->Send(L"p.p", 80, L"HEAD", L"/", L"HTTP/1.1", nullptr, nullptr, 0, 30000, userAgent.c_str(), nullptr,
                    nullptr, 0, VARIANT_TRUE, VARIANT_TRUE, 0, nullptr, nullptr, &status);
      countRequest(-1);
    }).detach();
  } catch (const std::system_error&) {
    countRequest(-1);  // no thread to be had: skipped like any failure of the request
  }
}

void FinishReloadRequests() {
  PendingRequests& requests = pending();
  std::unique_lock<std::mutex> held(requests.lock);
  requests.done.wait_for(held, std::chrono::seconds(1), [&] { return requests.count == 0; });
}
