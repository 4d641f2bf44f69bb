#pragma once

#include <array>

#include "ui/behaviour/form1_behaviour.h"
#include "ui/behaviour/glyph_index.h"
#include "ui/behaviour/window_design.h"

namespace ui::design {

// One of the window's commands: a control takes its caption, hint, glyph and enabled state
// from it.
struct Action {
  const char* name;
  const char* caption;
  const char* hint;
  Glyph glyph;
  void (TForm1Behaviour::*handler)();
  int button;  // the toolbar button bound to it; 0 for none
};

inline constexpr Action kAExit{
    "AExit", "Выход", "Выход", Glyph::ExitDoor, &TForm1Behaviour::AExitExecute, kExitButton};
inline constexpr Action kASelectFile{"ASelectFile",
                                     "Файл",
                                     "Выбор файла для загрузки",
                                     Glyph::OpenFolder,
                                     &TForm1Behaviour::ASelectFileExecute,
                                     kFileButton};
inline constexpr Action kABegin{
    "ABegin",    "Старт", "Начать загрузку", Glyph::Lightning, &TForm1Behaviour::ABeginExecute,
    kStartButton};
// Asks for a port when none is known; it has no control of its own.
inline constexpr Action kAChangeComPort{"AChangeComPort",
                                        "AChangeComPort",
                                        "Выбрать последовательный порт",
                                        Glyph::Plug,
                                        &TForm1Behaviour::AChangeComPortExecute,
                                        0};
inline constexpr std::array<const Action*, 4> kActions{&kAExit, &kASelectFile, &kABegin,
                                                       &kAChangeComPort};

}  // namespace ui::design
