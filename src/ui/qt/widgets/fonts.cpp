#include "ui/qt/widgets/fonts.h"

#include <QFontDatabase>
#include <QStringList>

#include "ui/behaviour/window_design.h"

namespace ui {

namespace {

constexpr int kCharacterHeightPx = design::kWindowTextHeightPx;

QString PickFamily() {
  const QStringList installed = QFontDatabase::families();
  for (const char* family : {"MS Sans Serif", "Liberation Sans", "DejaVu Sans", "Arial"}) {
    if (installed.contains(QString::fromLatin1(family), Qt::CaseInsensitive)) {
      return QString::fromLatin1(family);
    }
  }
  return QString();
}

}  // namespace

QFont WindowFont() {
  static const QString family = PickFamily();
  QFont font;
  if (!family.isEmpty()) font.setFamily(family);
  font.setStyleHint(QFont::SansSerif);
  // Pixels rather than points: the design is laid out in pixels at 96 dpi.
  font.setPixelSize(kCharacterHeightPx);
  return font;
}

}  // namespace ui
