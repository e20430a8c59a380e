// Owns one VARIANT, the value type of the settings store.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace runtime {

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  explicit Variant(const std::wstring& text);
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  // An optional argument that was left out.
  static const VARIANT* missing();

  VARIANT* put() {
    VariantClear(&value_);
    return &value_;
  }
  const VARIANT* get() const { return &value_; }
  // The value as text; Empty is "". A value that has no text raises.
  std::wstring text() const;

 private:
  VARIANT value_;
};

}  // namespace runtime
