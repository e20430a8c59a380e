#include <gtest/gtest.h>

#include "loopback_proxy.h"
#include "support_test_host.h"

using namespace support_test;

namespace {

struct Outcome {
  HRESULT result;
  LONG status;
  DWORD elapsedMs;
};

Outcome send(LONG mode, const wchar_t* host, int port, LONG timeoutMs, IOxHttpData* response,
             const wchar_t* proxyHost = nullptr, int proxyPort = 0) {
  auto settings = ox::create(oxCreateHttpSettings);
  settings->put_Mode(mode);
  auto request = ox::create(oxCreateHttpRequest);
  request->putref_Settings(settings.get());
  TestApplication app;
  ox::Bstr identity;
  ox::check(request->IdentityFromApp(&app, identity.put()));
  LONG status = 0;
  const DWORD start = GetTickCount();
  const HRESULT result = request->Send(host, port, L"HEAD", L"/", L"HTTP/1.1", nullptr, nullptr, 0, timeoutMs,
                                       identity.get(), response, proxyHost, proxyPort, VARIANT_TRUE, VARIANT_TRUE, 0,
                                       nullptr, nullptr, &status);
  return {result, status, GetTickCount() - start};
}

TEST(HttpRequest, IdentityIsProductSlashVersion) {
  auto request = ox::create(oxCreateHttpRequest);
  TestApplication app;
  ox::Bstr identity;
  EXPECT_EQ(ox::text(request->IdentityFromApp(&app, identity.put()), identity), L"Veilmark/1.0.0");
}

TEST(HttpRequest, HeadRequestReachesTheSystemProxy) {
  LoopbackServer server(false);
  SystemProxy proxy(server.port());
  auto response = ox::create(oxCreateHttpData);
  const Outcome outcome = send(0, L"p.p", 80, 10000, response.get());
  const std::string request = server.request();
  EXPECT_EQ(outcome.result, S_OK);
  EXPECT_EQ(outcome.status, 200);
  // Through a proxy the request line carries the whole address; Wine adds
  // the default port to it, Windows leaves it out.
  const std::string requestLine = request.substr(0, request.find("\r\n"));
  EXPECT_EQ(requestLine.rfind("HEAD http://p.p", 0), 0u) << request;
  EXPECT_EQ(requestLine.substr(requestLine.size() - 9), " HTTP/1.1") << request;
  EXPECT_NE(request.find("\r\nHost: p.p"), std::string::npos) << request;
  EXPECT_NE(request.find("User-Agent: Veilmark/1.0.0\r\n"), std::string::npos) << request;
  LONG code = 0;
  response->get_StatusCode(&code);
  EXPECT_EQ(code, 200);
  ox::Bstr headers;
  EXPECT_NE(ox::text(response->get_Headers(headers.put()), headers).find(L"X-Test: yes"), std::wstring::npos);
}

TEST(HttpRequest, NoResponseObjectIsFine) {
  LoopbackServer server(false);
  const Outcome outcome = send(2, L"p.p", 80, 10000, nullptr, L"127.0.0.1", server.port());
  EXPECT_EQ(outcome.status, 200);
  EXPECT_NE(server.request().find("p.p"), std::string::npos);
}

TEST(HttpRequest, SilentServerTimesOut) {
  LoopbackServer server(true);
  const Outcome outcome = send(2, L"p.p", 80, 1500, nullptr, L"127.0.0.1", server.port());
  EXPECT_LT(outcome.status, 0);
  EXPECT_EQ(outcome.result, outcome.status);
  EXPECT_GE(outcome.elapsedMs, 1400u);
  EXPECT_LT(outcome.elapsedMs, 3500u);
}

TEST(HttpRequest, RefusedPortFailsAtOnce) {
  int port = 0;
  {
    LoopbackServer closedSoon(true);
    port = closedSoon.port();
  }
  const Outcome outcome = send(1, L"127.0.0.1", port, 20000, nullptr);
  EXPECT_LT(outcome.status, 0);
  EXPECT_LT(outcome.elapsedMs, 5000u);
}

}  // namespace
