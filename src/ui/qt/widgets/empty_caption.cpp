#include "ui/qt/widgets/empty_caption.h"

#include <QWindow>

namespace ui {

void KeepCaptionEmpty(QWidget& window) {
  if (!window.windowTitle().isEmpty()) return;
  if (QWindow* handle = window.windowHandle()) handle->setTitle(QStringLiteral(" "));
}

}  // namespace ui
