#include "console_view.h"

#include <cstdio>

namespace flash {

void ConsoleView::ShowPrompt() {
  std::puts("Включи питание");
  std::fflush(stdout);
}

}  // namespace flash
