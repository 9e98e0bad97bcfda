#pragma once
// An owning VARIANT: cleared at destruction, copied with VariantCopy.
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace vellora {

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant& other) {
    VariantInit(&value_);
    VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
  }
  Variant& operator=(const Variant& other) {
    if (this != &other) VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
    return *this;
  }
  ~Variant() { VariantClear(&value_); }

  static Variant FromString(const std::string& ansi);
  static Variant FromInt(long value);

  VARTYPE Type() const { return value_.vt; }
  bool IsString() const { return value_.vt == VT_BSTR; }
  // The text of a string variant in the ANSI code page; empty for any other type.
  std::string AsString() const;
  long AsInt(long fallback = 0) const { return value_.vt == VT_I4 ? value_.lVal : fallback; }

  VARIANT& Raw() { return value_; }
  const VARIANT& Raw() const { return value_; }

 private:
  VARIANT value_;
};

}  // namespace vellora
