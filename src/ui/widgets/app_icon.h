#pragma once

#include <QIcon>

namespace ui {

// The application's own picture: a dark-cyan 16 x 16 square with four white dots, one
// centred above a row of three. It marks the application's task-bar entry.
QIcon ApplicationIcon();

// A fully transparent icon, for windows whose title bar is to show none (an empty icon would
// make the toolkit fall back to the application's).
QIcon BlankWindowIcon();

}  // namespace ui
