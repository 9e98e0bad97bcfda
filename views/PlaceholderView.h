#pragma once
// What the item area shows when there is nothing to show: one centred line,
// "No item", or the access-denied form after a failed password.
#include <string>

#include "platform/Window.h"

namespace vellora {

class PlaceholderView : public Window {
 public:
  enum class Form { NoItem, AccessDenied };
  void Show(Form form);
  Form CurrentForm() const { return form_; }
  const char* Text() const;

 protected:
  const char* ClassName() const override { return "VelloraPlaceholderView"; }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPaint();
  Form form_ = Form::NoItem;
};

}  // namespace vellora
