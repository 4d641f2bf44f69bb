#include "ui/qt/widgets/system_colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace ui {

namespace {

QColor Role(QPalette::ColorRole role) {
  return QGuiApplication::palette().color(role);
}

}  // namespace

QColor WindowColor() {
  return Role(QPalette::Base);
}
QColor WindowTextColor() {
  return Role(QPalette::Text);
}
QColor ButtonFaceColor() {
  return Role(QPalette::Button);
}
QColor ButtonShadowColor() {
  return Role(QPalette::Dark);
}
QColor ButtonHighlightColor() {
  return Role(QPalette::Light);
}
QColor HighlightColor() {
  return Role(QPalette::Highlight);
}
QColor TooltipBackColor() {
  return Role(QPalette::ToolTipBase);
}
QColor TooltipTextColor() {
  return Role(QPalette::ToolTipText);
}

}  // namespace ui
