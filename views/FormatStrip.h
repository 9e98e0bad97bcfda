#pragma once
// The strip that holds the format toolbar above the text view: paints the
// button face behind the flat toolbar and passes its commands on.
#include "platform/Window.h"

namespace vellora {

class FormatStrip : public Window {
 protected:
  const char* ClassName() const override { return "VelloraFormatStrip"; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override {
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace vellora
