#include "store/Variant.h"

#include "store/StorageHandle.h"

namespace vellora {

Variant Variant::FromString(const std::string& ansi) {
  Variant v;
  std::wstring wide = WideFromAnsi(ansi);
  v.value_.vt = VT_BSTR;
  v.value_.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return v;
}

Variant Variant::FromInt(long value) {
  Variant v;
  v.value_.vt = VT_I4;
  v.value_.lVal = value;
  return v;
}

std::string Variant::AsString() const {
  if (value_.vt != VT_BSTR || !value_.bstrVal) return {};
  return AnsiFromWide(value_.bstrVal);
}

}  // namespace vellora
