#pragma once
// Where the Help menu's support commands lead.
namespace vellora {
inline constexpr char kSupportMailAddress[] = "mailto:support@vellora.example";
inline constexpr char kSupportWebAddress[] = "http://www.vellora.example/";
}  // namespace vellora
