// The collector's identifiers and its one interface, as the type library
// (LibraneCollector.idl) declares them.
#pragma once
#include <windows.h>
#include <oaidl.h>

namespace vellora::collector {

// {CB569BD0-88FF-4618-B42E-4C7F0B2A831B}
inline constexpr CLSID kClsidHtmlCatch = {0xCB569BD0, 0x88FF, 0x4618, {0xB4, 0x2E, 0x4C, 0x7F, 0x0B, 0x2A, 0x83, 0x1B}};
// {66C4EE4C-F15B-41AF-8B95-81CF042753A5}
inline constexpr IID kIidHtmlCatch = {0x66C4EE4C, 0xF15B, 0x41AF, {0x8B, 0x95, 0x81, 0xCF, 0x04, 0x27, 0x53, 0xA5}};
// {665E3C00-892B-49C1-B363-BC560A421706}
inline constexpr GUID kLibidCollector = {0x665E3C00, 0x892B, 0x49C1, {0xB3, 0x63, 0xBC, 0x56, 0x0A, 0x42, 0x17, 0x06}};
inline constexpr WORD kTypeLibMajor = 1;
inline constexpr WORD kTypeLibMinor = 0;
inline constexpr DISPID kDispidTransmitHtmlDocument = 1;

inline constexpr char kClsidText[] = "{CB569BD0-88FF-4618-B42E-4C7F0B2A831B}";
inline constexpr char kLibidText[] = "{665E3C00-892B-49C1-B363-BC560A421706}";
inline constexpr char kProgId[] = "LibraneCollector.HtmlCatch.1";
inline constexpr char kVersionIndependentProgId[] = "LibraneCollector.HtmlCatch";

// Dual interface: the vtable method sits right after IDispatch's seven.
struct IHtmlCatch : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE TransmitHtmlDocument(IDispatch* pHtmlDocument) = 0;
};

}  // namespace vellora::collector
