#pragma once
// The strip above the item view that shows the current item's title; drawn
// brighter while the main window is active.
#include <string>

#include "platform/Window.h"

namespace vellora {

class TitleStrip : public Window {
 public:
  void SetTitle(const std::string& title);
  const std::string& Title() const { return title_; }
  void SetActive(bool active);

 protected:
  const char* ClassName() const override { return "VelloraTitleStrip"; }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPaint();
  std::string title_;
  bool active_ = true;
};

}  // namespace vellora
