// C++ side of the support library: a failing status becomes an ox::Error that
// carries the error's number and description; BSTRs and interface pointers
// get owners.
#pragma once

#include "oxlensupport.h"

#include <string>
#include <string_view>
#include <utility>

namespace ox {

struct Error {
  long number;
  std::wstring description;
};

// The system's text for a status, without its final line break.
inline std::wstring systemText(HRESULT status) {
  LPWSTR buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(status), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::wstring text(buffer ? buffer : L"", length);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
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

// A new BSTR holding `text`; null when there is no memory for it, or when it
// is longer than a BSTR, which counts its bytes in 32 bits, can be.
inline BSTR allocateBstr(std::wstring_view text) {
  if (text.size() >= (size_t{1} << 31)) return nullptr;
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// Owns one BSTR.
class Bstr {
 public:
  Bstr() = default;
  // A null BSTR reads as "": a text lost here would be written as an empty file.
  explicit Bstr(std::wstring_view text) : value_(allocateBstr(text)) {
    if (!value_) throw Error{E_OUTOFMEMORY, systemText(E_OUTOFMEMORY)};
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(value_); }
  BSTR* put() {
    SysFreeString(value_);
    value_ = nullptr;
    return &value_;
  }
  BSTR get() const { return value_; }
  std::wstring str() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : std::wstring(); }

 private:
  BSTR value_ = nullptr;
};

// Owns one counted interface reference.
template <class T>
class Ptr {
 public:
  Ptr() = default;
  Ptr(T* p) : p_(p) {  // takes a new count
    if (p_) p_->AddRef();
  }
  Ptr(const Ptr& other) : Ptr(other.p_) {}
  Ptr(Ptr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  Ptr& operator=(Ptr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~Ptr() {
    if (p_) p_->Release();
  }
  T** put() {
    *this = Ptr();
    return &p_;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

template <class T>
Ptr<T> create(HRESULT(WINAPI* factory)(T**)) {
  Ptr<T> object;
  check(factory(object.put()));
  return object;
}

inline std::wstring text(HRESULT status, Bstr& out) {
  check(status);
  return out.str();
}

inline std::wstring hexEx4(DWORD value) {
  Bstr out;
  return text(oxHexEx4(value, out.put()), out);
}

inline std::wstring buildFileName(const std::wstring& folder, const std::wstring& fileName) {
  Bstr out;
  return text(oxBuildFileName(folder.c_str(), fileName.c_str(), out.put()), out);
}

inline bool isTrue(VARIANT_BOOL value) { return value != VARIANT_FALSE; }
inline VARIANT_BOOL toVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace ox
