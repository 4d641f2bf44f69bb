#pragma once

#include <QApplication>

namespace ui {

// The program's application object. Its notify() is the one catch point of the event loops,
// the main one and every modal one: an exception that leaves an event handler is reported by
// ReportException and the loop goes on with the next event.
class Application : public QApplication {
  Q_OBJECT

 public:
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace ui
