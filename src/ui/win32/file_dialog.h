#pragma once

#include <windows.h>

#include "ui/behaviour/controls.h"

namespace ui {

// The file-open dialog for the HEX file: title "Выбери файл (*.hex) для загрузки", one filter
// "HexFiles" (*.hex), default extension "hex". The shell's dialog when it can be had, the
// common dialog otherwise (or when shell is false). Either way the choice reports the folder
// the dialog showed last.
FileChoice ChooseHexFile(HWND owner, bool shell = true);

}  // namespace ui
