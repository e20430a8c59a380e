// HttpData: the status, headers and body of one answer.
#include "http_data.h"

#include "com_object.h"
#include "text_helpers.h"

using namespace oxs;

namespace {

class HttpData : public ComObject<IOxHttpDataFill, IOxHttpData> {
 public:
  HRESULT STDMETHODCALLTYPE get_StatusCode(LONG* result) override {
    return ox::comMethod([&] {
      requirePointer(result);
      *result = statusCode_;
    });
  }
  HRESULT STDMETHODCALLTYPE get_Headers(BSTR* result) override {
    return ox::comMethod([&] { putBstr(result, headers_); });
  }
  HRESULT STDMETHODCALLTYPE get_Body(BSTR* result) override {
    return ox::comMethod([&] { putBstr(result, body_); });
  }
  void fill(LONG statusCode, std::wstring headers, std::wstring body) override {
    statusCode_ = statusCode;
    headers_ = std::move(headers);
    body_ = std::move(body);
  }

 private:
  LONG statusCode_ = 0;
  std::wstring headers_;
  std::wstring body_;
};

}  // namespace

OXAPI oxCreateHttpData(IOxHttpData** result) {
  return createObject<HttpData>(result);
}
