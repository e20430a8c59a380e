// The one failure type of the support library, Lumicon and the programs on
// the runtime, and the guard for each kind of boundary it must not cross: a
// COM method (a status plus the thread's COM error object) and a window
// procedure (the owner's handler, then the message passed on). Header-only,
// so that each binary carries its own copy and no status is lost where two
// of them meet.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <exception>
#include <new>
#include <string>

namespace ox {

struct Error {
  long number;  // a negative HRESULT, or a positive error number
  std::wstring description;
};

[[noreturn]] inline void fail(HRESULT status, std::wstring description) { throw Error{status, std::move(description)}; }

// The system's text for a status, without its final line break; WinINet's
// errors are described by WinINet.
inline std::wstring systemText(HRESULT status) {
  const DWORD code = HRESULT_CODE(status);
  const bool internet = HRESULT_FACILITY(status) == FACILITY_WIN32 && code >= 12000 && code <= 12999;
  const HMODULE source = internet ? GetModuleHandleW(L"wininet.dll") : nullptr;
  LPWSTR buffer = nullptr;
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS | (source ? FORMAT_MESSAGE_FROM_HMODULE : 0),
                                      source, source ? code : static_cast<DWORD>(status), 0,
                                      reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::wstring text(buffer ? buffer : L"", length);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return text;
}

// Description left by the failing call (its COM error object), else the
// system's text for the status.
inline std::wstring describeStatus(HRESULT status) {
  std::wstring description;
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) == S_OK && info) {
    BSTR text = nullptr;
    if (SUCCEEDED(info->GetDescription(&text)) && text) description.assign(text, SysStringLen(text));
    SysFreeString(text);
    info->Release();
  }
  return description.empty() ? systemText(status) : description;
}

inline void check(HRESULT status) {
  if (FAILED(status)) throw Error{static_cast<long>(status), describeStatus(status)};
}

// A Win32 error (0 counts as a general failure), described by the system's
// text after `context`: what was being done, usually naming the file or key.
[[noreturn]] inline void failWin32(DWORD error, const std::wstring& context = {}) {
  const HRESULT status = HRESULT_FROM_WIN32(error ? error : ERROR_GEN_FAILURE);
  const std::wstring message = systemText(status);
  fail(status, context.empty() ? message : message.empty() ? context : context + L": " + message);
}

// A Win32 call's result: false fails with the thread's last error.
inline void checkWin32(bool succeeded, const std::wstring& context = {}) {
  if (!succeeded) failWin32(GetLastError(), context);
}

// The exception being handled, as an Error. Call only inside a catch.
inline Error currentError() noexcept {
  try {
    throw;
  } catch (const Error& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return {static_cast<long>(E_OUTOFMEMORY), systemText(E_OUTOFMEMORY)};
  } catch (const std::exception& error) {
    const int length = MultiByteToWideChar(CP_ACP, 0, error.what(), -1, nullptr, 0);
    std::wstring text(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, error.what(), -1, text.data(), length);
    text.pop_back();
    return {static_cast<long>(E_FAIL), text};
  } catch (...) {
    return {static_cast<long>(E_UNEXPECTED), systemText(E_UNEXPECTED)};
  }
}

// Runs the body of a COM method: S_OK with the thread's error object cleared
// (also of what a step inside left and skipped), or the failure's status
// (E_FAIL for a positive number) with an error object that carries its
// description, as a script's Err.Description shows it.
template <class Body>
HRESULT comMethod(Body&& body) noexcept {
  SetErrorInfo(0, nullptr);  // a failing call inside describes itself, not an earlier one
  try {
    body();
    SetErrorInfo(0, nullptr);
    return S_OK;
  } catch (...) {
    const Error error = currentError();
    const HRESULT status = FAILED(error.number) ? static_cast<HRESULT>(error.number) : E_FAIL;
    ICreateErrorInfo* creator = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&creator))) {
      const std::wstring text = error.description.empty() ? systemText(status) : error.description;
      creator->SetGUID(GUID_NULL);
      creator->SetDescription(const_cast<LPOLESTR>(text.c_str()));
      IErrorInfo* info = nullptr;
      if (SUCCEEDED(creator->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
      }
      creator->Release();
    }
    return status;
  }
}

// What the owner of a window does with a failure inside its procedure: a
// program may report it and end; a library in someone else's process may only
// note it. It throws nothing.
using FailureHandler = void (*)(const Error& error);

// Runs the body of a window procedure; on a failure the owner's handler
// hears of it and the message goes on as `passOn` answers it.
template <class Body, class PassOn>
LRESULT windowProcedure(Body&& body, FailureHandler onFailure, PassOn&& passOn) noexcept {
  try {
    return body();
  } catch (...) {
    onFailure(currentError());
  }
  try {
    return passOn();
  } catch (...) {
    return 0;
  }
}

}  // namespace ox
