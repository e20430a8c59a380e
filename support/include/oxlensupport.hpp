// C++ side of the support library: a failing status becomes an ox::Error
// (oxerror.hpp); BSTRs and interface pointers get owners.
#pragma once

#include "oxerror.hpp"
#include "oxlensupport.h"

#include <string>
#include <string_view>
#include <utility>

namespace ox {

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
  Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  Bstr& operator=(Bstr other) noexcept {
    std::swap(value_, other.value_);
    return *this;
  }
  ~Bstr() { SysFreeString(value_); }
  BSTR* put() {
    SysFreeString(value_);
    value_ = nullptr;
    return &value_;
  }
  BSTR get() const { return value_; }
  // Hands the BSTR over to a caller that frees it.
  BSTR release() { return std::exchange(value_, nullptr); }
  std::wstring str() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : std::wstring(); }
  // A BSTR that holds bytes (SysAllocStringByteLen), as its bytes.
  std::string_view bytes() const {
    return value_ ? std::string_view(reinterpret_cast<const char*>(value_), SysStringByteLen(value_))
                  : std::string_view();
  }

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
