#include "errors.h"

#include <oleauto.h>
#include <wininet.h>

#include <exception>
#include <new>

#include "oxlensupport.hpp"

namespace oxs {
namespace {

void setErrorObject(HRESULT status, const std::wstring& description) noexcept {
  ox::Ptr<ICreateErrorInfo> creator;
  if (FAILED(CreateErrorInfo(creator.put()))) return;
  creator->SetGUID(GUID_NULL);
  creator->SetSource(const_cast<LPOLESTR>(L"OXLENSUPPORT0100"));
  const std::wstring text = description.empty() ? systemMessage(status) : description;
  creator->SetDescription(const_cast<LPOLESTR>(text.c_str()));
  ox::Ptr<IErrorInfo> info;
  if (SUCCEEDED(creator->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(info.put())))) {
    SetErrorInfo(0, info.get());
  }
}

}  // namespace

void fail(HRESULT status, std::wstring description) { throw Failure{status, std::move(description)}; }

void failWin32(DWORD error, const std::wstring& context) {
  const HRESULT status = HRESULT_FROM_WIN32(error ? error : ERROR_GEN_FAILURE);
  const std::wstring message = systemMessage(status);
  fail(status, context.empty() ? message : message.empty() ? context : context + L": " + message);
}

void requirePointer(const void* pointer) {
  if (!pointer) fail(E_POINTER, L"");
}

std::wstring systemMessage(HRESULT status) {
  // WinINet's errors are described by WinINet, not by the system.
  const DWORD code = HRESULT_CODE(status);
  const bool internet = HRESULT_FACILITY(status) == FACILITY_WIN32 && code >= INTERNET_ERROR_BASE &&
                        code <= INTERNET_ERROR_LAST;
  HMODULE source = internet ? GetModuleHandleW(L"wininet.dll") : nullptr;
  LPWSTR buffer = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS | (source ? FORMAT_MESSAGE_FROM_HMODULE : 0),
                                source, internet ? code : static_cast<DWORD>(status), 0,
                                reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::wstring text(buffer ? buffer : L"", length);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return text;
}

HRESULT reportCurrentException() noexcept {
  HRESULT status = E_UNEXPECTED;
  std::wstring description;
  try {
    throw;
  } catch (const Failure& failure) {
    status = FAILED(failure.status) ? failure.status : E_FAIL;
    description = failure.description;
  } catch (const std::bad_alloc&) {
    status = E_OUTOFMEMORY;
  } catch (...) {
    status = E_UNEXPECTED;
  }
  setErrorObject(status, description);
  return status;
}

}  // namespace oxs
