#include "app/reload_request.h"

#include "runtime/application.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// The threads of requests sent and not yet seen ended. A thread is waited for
// to its very end, not just to its request's: one still ending when the
// process ends can leave that end hanging.
std::vector<HANDLE>& threads() {
  static std::vector<HANDLE>* const handles = new std::vector<HANDLE>;
  return *handles;
}

// Keeps the handles of threads that are still running.
void forgetEnded() {
  std::vector<HANDLE>& handles = threads();
  handles.erase(std::remove_if(handles.begin(), handles.end(),
                               [](HANDLE thread) {
                                 if (WaitForSingleObject(thread, 0) != WAIT_OBJECT_0) return false;
                                 CloseHandle(thread);
                                 return true;
                               }),
                handles.end());
}

struct Request {
  ox::Ptr<IOxHttpRequest> request;
  std::wstring userAgent;
};

DWORD WINAPI send(void* parameter) {
  const std::unique_ptr<Request> sent(static_cast<Request*>(parameter));
  LONG status = 0;
  sent->request->Send(L"p.p", 80, L"HEAD", L"/", L"HTTP/1.1", nullptr, nullptr, 0, 30000, sent->userAgent.c_str(),
                      nullptr, nullptr, 0, VARIANT_TRUE, VARIANT_TRUE, 0, nullptr, nullptr, &status);
  return 0;
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
  forgetEnded();
  auto sent = std::make_unique<Request>(Request{request, identity.str()});
  // No thread to be had: skipped like any failure of the request.
  const HANDLE thread = CreateThread(nullptr, 0, send, sent.get(), 0, nullptr);
  if (!thread) return;
  sent.release();
  threads().push_back(thread);
}

void FinishReloadRequests() {
  forgetEnded();
  const std::vector<HANDLE>& handles = threads();
  const ULONGLONG deadline = GetTickCount64() + 1000;
  // At most MAXIMUM_WAIT_OBJECTS at once: more only with a switch a second
  // and a proxy that never answers.
  for (size_t first = 0; first < handles.size(); first += MAXIMUM_WAIT_OBJECTS) {
    const DWORD count = static_cast<DWORD>(std::min<size_t>(handles.size() - first, MAXIMUM_WAIT_OBJECTS));
    const ULONGLONG now = GetTickCount64();
    WaitForMultipleObjects(count, handles.data() + first, TRUE, now < deadline ? static_cast<DWORD>(deadline - now) : 0);
  }
}
