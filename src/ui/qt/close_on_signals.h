#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QWidget>

namespace ui {

// SIGINT, SIGTERM and SIGHUP (Ctrl+C in the terminal that started it, kill, a closing session)
// close the main window as its close box does, so that the program shuts down as always: the
// port closed and its settings restored, the image let go. A conversion under way stops at once
// and leaves nothing behind. One instance at a time; the default actions come back with its end.
class CloseOnSignals : public QObject {
  Q_OBJECT

 public:
  explicit CloseOnSignals(QWidget& mainWindow);
  ~CloseOnSignals() override;

 private:
  QWidget& mainWindow_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace ui
