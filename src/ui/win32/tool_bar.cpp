#include "ui/win32/tool_bar.h"

#include <stdexcept>

#include "ui/win32/dpi.h"
#include "ui/win32/glyphs.h"

namespace ui {

TToolBar::TToolBar(HWND parent, int y, int width) {
  toolbar_ = CreateWindowExW(
      0, TOOLBARCLASSNAMEW, L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | CCS_NORESIZE |
          CCS_NOPARENTALIGN | CCS_NODIVIDER,
      0, y, width, kButtonSize, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!toolbar_) throw std::runtime_error("Cannot create the toolbar");
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);

  TBBUTTON buttons[4]{};
  const struct {
    Glyph glyph;
    int command;
    BYTE style;
  } layout[] = {{Glyph::OpenFolder, kFileCommand, BTNS_BUTTON},
                {Glyph::Plug, kPortCommand, BTNS_WHOLEDROPDOWN},
                {Glyph::Lightning, kStartCommand, BTNS_BUTTON},
                {Glyph::ExitDoor, kExitCommand, BTNS_BUTTON}};
  for (int i = 0; i < 4; ++i) {
    buttons[i].iBitmap = static_cast<int>(layout[i].glyph);
    buttons[i].idCommand = layout[i].command;
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = layout[i].style;
    buttons[i].iString = -1;
  }
  SendMessageW(toolbar_, TB_ADDBUTTONSW, 4, reinterpret_cast<LPARAM>(buttons));
  Layout(96, y, width);
}

void TToolBar::Layout(UINT dpi, int y, int width) {
  const HIMAGELIST old = glyphs_;
  const int glyph = Scaled(kGlyphSize, dpi);
  glyphs_ = CreateGlyphList(glyph);
  SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(glyphs_));
  if (old) ImageList_Destroy(old);
  SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(glyph, glyph));
  const int size = Scaled(kButtonSize, dpi);
  SendMessageW(toolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(size, size));
  SendMessageW(toolbar_, TB_SETINDENT, Scaled(kFirstButtonX, dpi), 0);
  // Exact widths: the toolbar would size the drop-down button by its arrow's metrics.
  for (int command = 1; command <= design::kButtonCount; ++command) {
    const design::Box box = design::ButtonBox(command);
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_SIZE;
    info.cx = static_cast<WORD>(Scaled(box.x + box.width, dpi) - Scaled(box.x, dpi));
    SendMessageW(toolbar_, TB_SETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
  }
  MoveWindow(toolbar_, 0, y, width, size, TRUE);
}

TToolBar::~TToolBar() {
  DestroyWindow(toolbar_);
  ImageList_Destroy(glyphs_);
}

bool TToolBar::Enabled(int command) const {
  return SendMessageW(toolbar_, TB_ISBUTTONENABLED, command, 0) != 0;
}

void TToolBar::SetEnabled(int command, bool enabled) {
  SendMessageW(toolbar_, TB_ENABLEBUTTON, command, MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

RECT TToolBar::ItemRect(int command) const {
  RECT rect{};
  SendMessageW(toolbar_, TB_GETRECT, command, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

void TToolBar::SetPressed(int command, bool pressed) {
  SendMessageW(toolbar_, TB_PRESSBUTTON, command, MAKELPARAM(pressed ? TRUE : FALSE, 0));
}

}  // namespace ui
