#pragma once

#include <QIcon>
#include <QPixmap>

#include "ui/behaviour/glyph_index.h"

namespace ui {

QPixmap PaintGlyph(Glyph glyph);
QIcon GlyphIcon(Glyph glyph);

}  // namespace ui
