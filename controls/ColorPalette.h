#pragma once
// The colour palette that drops down below a toolbar button: forty named
// colours in a grid of eight columns, the name of the colour under the mouse,
// and an entry for another colour (the caller then opens the colour dialog).
// It runs its own little message loop until the user chose or left it.
#include <windows.h>

#include <functional>

#include "platform/Window.h"

namespace vellora {

struct PaletteColor {
  const char* name;
  COLORREF color;
};

inline constexpr int kPaletteColorCount = 40;
extern const PaletteColor kPaletteColors[kPaletteColorCount];

// The entry of a colour, or -1 when the palette does not have it.
int PaletteIndexOf(COLORREF color);

// The system's colour dialog, fully open, starting from color; false when it
// was cancelled. Its custom colours are kept for the program's run.
bool ShowColorDialog(HWND owner, COLORREF& color);

enum class PaletteResult { Chosen, OtherColor, Cancelled };

struct PaletteChoice {
  PaletteResult result = PaletteResult::Cancelled;
  COLORREF color = 0;
};

class ColorPalette : public Window {
 public:
  // Opens below the screen rectangle `anchor` with `current` marked when it is
  // one of the entries, and returns when the user chose or closed it.
  PaletteChoice Run(HWND owner, const RECT& anchor, COLORREF current);

  // Client rectangle of an entry; kPaletteColorCount is the other-colour entry.
  static RECT CellRect(int index);
  int HotIndex() const { return hot_; }
  // Called once the palette is shown, before its loop runs (tests drive it from here).
  std::function<void(ColorPalette&)> onShown;

 protected:
  const char* ClassName() const override { return "VelloraColorPalette"; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  int IndexAt(POINT client) const;
  void Finish(PaletteResult result, int index);
  void SetHot(int index);
  void Paint(HDC dc);
  void OnKey(WPARAM key);

  int hot_ = -1;
  int marked_ = -1;
  bool done_ = false;
  PaletteChoice choice_;
};

}  // namespace vellora
