#pragma once

#include <QIcon>
#include <QImage>
#include <string>

namespace ui {

// The application's own picture: a dark-cyan 16 x 16 square with four white dots, one
// centred above a row of three. It marks the application's task-bar entry.
QIcon ApplicationIcon();

// The same picture at side x side pixels (a multiple of 16 keeps the dots sharp), and as SVG:
// the desktop's icons are drawn from it.
QImage ApplicationIconImage(int side = 16);
std::string ApplicationIconSvg();

// A fully transparent icon, for windows whose title bar is to show none (an empty icon would
// make the toolkit fall back to the application's).
QIcon BlankWindowIcon();

}  // namespace ui
