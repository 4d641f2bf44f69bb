#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

namespace ui {

// SIGINT, SIGTERM and SIGHUP (Ctrl+C in the terminal that started it, kill, a closing session)
// close the main window as its close box does, so that the program shuts down as always: the
// port closed and its settings restored, the image let go. A conversion under way stops at once
// and leaves nothing behind. Whatever modal window is open (a message, the file dialog, the
// question) is dismissed first, as Esc would, and so is any that opens after the signal; the
// main window closes once none is left. Installed before start-up, so that a signal while the
// main window is being created (the first start's file dialog) is caught too: Requested() then
// tells start-up not to show the window at all. One instance at a time; the default actions
// come back with its end.
class CloseOnSignals : public QObject {
  Q_OBJECT

 public:
  CloseOnSignals();
  // Closes mainWindow on a signal from now on (at once, if one has come already).
  explicit CloseOnSignals(QWidget& mainWindow);
  ~CloseOnSignals() override;

  void Watch(QWidget& mainWindow);
  bool Requested() const { return requested_; }

 private:
  void Sweep();

  QPointer<QWidget> mainWindow_;
  QSocketNotifier* notifier_ = nullptr;
  QTimer sweeper_;
  bool requested_ = false;
};

}  // namespace ui
