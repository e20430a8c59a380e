// One WinINet request, run on a worker thread so that the caller gets its
// answer, or a time-out, within the time it allows, whatever the network does.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace oxs {

struct HttpCall {
  LONG mode = 0;  // as IOxHttpSettings::Mode
  std::wstring proxy;  // "host:port" for mode 2
  std::wstring userAgent;
  std::wstring host;
  WORD port = 0;
  std::wstring method, path, version;
  std::optional<std::wstring> headers, userName, password;
  std::string body;
  DWORD flags = 0;  // INTERNET_FLAG_...
  DWORD timeoutMs = 0;
};

struct HttpAnswer {
  LONG status = 0;  // the HTTP status, or a negative HRESULT
  std::wstring failure;  // what went wrong when status is negative
  std::wstring headers;
  std::wstring body;  // bytes as Latin-1 characters
};

HttpAnswer runHttpCall(const HttpCall& call);

}  // namespace oxs
