// The small Win32 helpers each binary needs: its own module, a module's path
// and folder, a full path, a user32 function newer than the oldest system,
// owners of an HKEY and a VARIANT, an error number as text.
// Header-only, so that each binary carries its own copy and no two disagree.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cwchar>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "oxerror.hpp"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace ox {

// The module (EXE or DLL) that this code is linked into.
inline HINSTANCE thisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

// Full path of a loaded module; the program itself for nullptr.
inline std::wstring modulePath(HMODULE module) {
  // Paths may exceed MAX_PATH; grow until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    checkWin32(length != 0, L"GetModuleFileName");
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) failWin32(ERROR_INSUFFICIENT_BUFFER, L"GetModuleFileName");
    path.resize(path.size() * 2);
  }
}

// A user32 function that older systems lack: nullptr there.
template <class Function>
Function userFunction(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// A kernel handle, owned: closed when the owner goes. Calls that fail give
// nullptr or INVALID_HANDLE_VALUE; neither is closed.
struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// "C:\Tools\Veilmark.exe" -> "C:\Tools"; a drive root keeps its backslash,
// since "C:" alone would mean the current folder of drive C.
inline std::wstring folderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return std::wstring();
  std::wstring folder = path.substr(0, slash);
  if (!folder.empty() && folder.back() == L':') folder += L'\\';
  return folder;
}

// The full path that a file operation would use for `path`: relative paths,
// "..", "." and forward slashes resolved; empty when there is none.
inline std::wstring fullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return std::wstring();
  std::wstring full(size, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
  return full;
}

// Owns one open registry key.
class Key {
 public:
  Key() = default;
  explicit Key(HKEY key) : key_(key) {}
  Key(Key&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  Key& operator=(Key&&) = delete;
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  HKEY get() const { return key_; }
  // Closed, to be opened by a call.
  HKEY* put() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
    return &key_;
  }

 private:
  HKEY key_ = nullptr;
};

// Owns one VARIANT.
class Variant {
 public:
  Variant() = default;
  // Only the type is set: a call that fails to fill it leaves nothing to free.
  explicit Variant(VARTYPE type) { V_VT(&value_) = type; }
  explicit Variant(const std::wstring& text) {
    V_BSTR(&value_) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!V_BSTR(&value_)) fail(E_OUTOFMEMORY, systemText(E_OUTOFMEMORY));
    V_VT(&value_) = VT_BSTR;
  }
  // Named, not constructors: Variant(VT_BOOL) would then be ambiguous.
  static Variant integer(LONG number) {
    Variant value(VT_I4);
    V_I4(&value.value_) = number;
    return value;
  }
  static Variant boolean(bool truth) {
    Variant value(VT_BOOL);
    V_BOOL(&value.value_) = truth ? VARIANT_TRUE : VARIANT_FALSE;
    return value;
  }
  // A counted reference of its own; nullptr is none.
  static Variant object(IDispatch* pointer) {
    Variant value(VT_DISPATCH);
    V_DISPATCH(&value.value_) = pointer;
    if (pointer) pointer->AddRef();
    return value;
  }
  static Variant object(IUnknown* pointer) {
    Variant value(VT_UNKNOWN);
    V_UNKNOWN(&value.value_) = pointer;
    if (pointer) pointer->AddRef();
    return value;
  }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  // The moved-from owner is left Empty, with nothing to free.
  Variant(Variant&& other) noexcept : value_(other.value_) { V_VT(&other.value_) = VT_EMPTY; }
  Variant& operator=(Variant&& other) noexcept {
    std::swap(value_, other.value_);
    return *this;
  }

  // An optional argument that was left out.
  static const VARIANT* missing() {
    static const VARIANT left = [] {
      VARIANT value = {};
      V_VT(&value) = VT_ERROR;
      V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
      return value;
    }();
    return &left;
  }

  VARIANT* get() { return &value_; }
  const VARIANT* get() const { return &value_; }
  // Emptied, to be filled by a call.
  VARIANT* put() {
    VariantClear(&value_);
    return &value_;
  }
  // The value as text; Empty is "". A value that has no text raises.
  std::wstring text() const {
    Variant converted;
    // The source is only read; the declaration just lacks its const.
    check(VariantChangeType(converted.put(), const_cast<VARIANT*>(&value_), 0, VT_BSTR));
    const BSTR text = V_BSTR(converted.get());
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  }

 private:
  VARIANT value_ = {};
};

// The arguments of a dispatch call, given in the order the method declares
// them, listed last first as DISPPARAMS wants. Invoke only borrows them: these
// are shallow copies, never cleared, that must not outlive `arguments`.
template <class Arguments>
std::vector<VARIANT> borrowLastFirst(const Arguments& arguments) {
  std::vector<VARIANT> borrowed;
  for (const Variant& argument : arguments) borrowed.insert(borrowed.begin(), *argument.get());
  return borrowed;
}

// Negative numbers are statuses and read best in hexadecimal.
inline std::wstring errorNumberText(long number) {
  wchar_t text[16];
  if (number < 0)
    std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(number));
  else
    std::swprintf(text, 16, L"%ld", number);
  return text;
}

}  // namespace ox
