// HttpRequest: one HTTP exchange through WinINet, bounded by its time-out.
#include "oxlensupport.h"

#include <wininet.h>

#include "app_window.h"
#include "com_object.h"
#include "oxlensupport.hpp"
#include "http_data.h"
#include "http_worker.h"
#include "text_helpers.h"

using namespace oxs;

namespace {

std::optional<std::wstring> optionalText(LPCWSTR text) {
  return text ? std::optional<std::wstring>(text) : std::nullopt;
}

class HttpRequest : public ComObject<IOxHttpRequest> {
 public:
  HRESULT STDMETHODCALLTYPE putref_Settings(IOxHttpSettings* settings) override {
    return ox::comMethod([&] { settings_ = ox::Ptr<IOxHttpSettings>(settings); });
  }

  HRESULT STDMETHODCALLTYPE IdentityFromApp(IOxApplication* app, BSTR* result) override {
    return ox::comMethod([&] {
      putBstr(result, readApplication(app, &IOxApplication::get_ProductName) + L"/" +
                          readApplication(app, &IOxApplication::get_Version));
    });
  }

  // A request that got no answer fails: the method returns the same negative
  // status it stores in *status, with an error object that says why.
  HRESULT STDMETHODCALLTYPE Send(LPCWSTR host, LONG port, LPCWSTR method, LPCWSTR path, LPCWSTR version,
                                 LPCWSTR headers, const BYTE* body, LONG bodyLength, LONG timeoutMs, LPCWSTR userAgent,
                                 IOxHttpData* response, LPCWSTR proxyHost, LONG proxyPort, VARIANT_BOOL noCache,
                                 VARIANT_BOOL noCookies, LONG secure, LPCWSTR userName, LPCWSTR password,
                                 LONG* status) override {
    const HRESULT outcome = ox::comMethod([&] {
      if (status) *status = 0;
      ox::Ptr<IOxHttpDataFill> answerTo;
      if (response && FAILED(response->QueryInterface(__uuidof(IOxHttpDataFill),
                                                      reinterpret_cast<void**>(answerTo.put())))) {
        fail(E_INVALIDARG, L"Ответ должен быть объектом HttpData этой библиотеки");
      }
      const HttpCall call = describeCall(host, port, method, path, version, headers, body, bodyLength, timeoutMs,
                                         userAgent, proxyHost, proxyPort, noCache, noCookies, secure, userName,
                                         password);
      const HttpAnswer answer = runHttpCall(call);
      if (status) *status = answer.status;
      if (answer.status < 0) fail(answer.status, answer.failure);
      if (answerTo) answerTo->fill(answer.status, answer.headers, answer.body);
    });
    if (FAILED(outcome) && status) *status = outcome;
    return outcome;
  }

 private:
  HttpCall describeCall(LPCWSTR host, LONG port, LPCWSTR method, LPCWSTR path, LPCWSTR version, LPCWSTR headers,
                        const BYTE* body, LONG bodyLength, LONG timeoutMs, LPCWSTR userAgent, LPCWSTR proxyHost,
                        LONG proxyPort, VARIANT_BOOL noCache, VARIANT_BOOL noCookies, LONG secure,
                        LPCWSTR userName, LPCWSTR password) const {
    if (!host || !*host) fail(E_INVALIDARG, L"Не задан адрес сервера");
    if (port < 0 || port > 65535 || proxyPort < 0 || proxyPort > 65535) fail(E_INVALIDARG, L"Неверный порт");
    if (timeoutMs <= 0) fail(E_INVALIDARG, L"Неверное время ожидания");
    if (bodyLength < 0 || (bodyLength > 0 && !body)) fail(E_INVALIDARG, L"Неверное тело запроса");
    HttpCall call;
    if (settings_) {
      const HRESULT read = settings_->get_Mode(&call.mode);
      if (FAILED(read)) fail(read, L"");
      if (call.mode < 0 || call.mode > 2) fail(E_INVALIDARG, L"Mode");
    }
    if (call.mode == 2) {
      if (!proxyHost || !*proxyHost) fail(E_INVALIDARG, L"Не задан прокси-сервер");
      call.proxy = proxyPort ? std::wstring(proxyHost) + L":" + std::to_wstring(proxyPort) : proxyHost;
    }
    call.userAgent = userAgent && *userAgent ? userAgent : L"Oxlen";
    call.host = host;
    call.port = static_cast<WORD>(port ? port : secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT);
    call.method = method && *method ? method : L"GET";
    call.path = path && *path ? path : L"/";
    call.version = orEmpty(version);
    if (headers && *headers) call.headers = headers;
    call.userName = optionalText(userName);
    call.password = optionalText(password);
    if (bodyLength > 0) call.body.assign(reinterpret_cast<const char*>(body), static_cast<size_t>(bodyLength));
    call.flags = INTERNET_FLAG_NO_UI | (secure ? INTERNET_FLAG_SECURE : 0) |
                 (noCache != VARIANT_FALSE ? INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE : 0) |
                 (noCookies != VARIANT_FALSE ? INTERNET_FLAG_NO_COOKIES : 0);
    call.timeoutMs = static_cast<DWORD>(timeoutMs);
    return call;
  }

  ox::Ptr<IOxHttpSettings> settings_;
};

}  // namespace

OXAPI oxCreateHttpRequest(IOxHttpRequest** result) { return createObject<HttpRequest>(result); }
