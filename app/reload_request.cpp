#include "app/reload_request.h"

#include "runtime/application.h"
#include "runtime/background.h"

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
  // No thread to be had: skipped like any failure of the request.
  runtime::runInBackground([request, userAgent = identity.str()] {
    LONG status = 0;
    request->Send(L"p.p", 80, L"HEAD", L"/", L"HTTP/1.1", nullptr, nullptr, 0, 30000, userAgent.c_str(), nullptr,
                  nullptr, 0, VARIANT_TRUE, VARIANT_TRUE, 0, nullptr, nullptr, &status);
  });
}
