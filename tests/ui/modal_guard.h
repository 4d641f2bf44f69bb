#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

class QWidget;

namespace uitest {

// Watches for modal windows while a test runs. Each window is handed to the next expected
// handler; a window that nobody expects fails the test and is closed, so nothing hangs.
class ModalGuard : public QObject {
  Q_OBJECT

 public:
  using Handler = std::function<void(QWidget* modal)>;

  ModalGuard();
  ~ModalGuard() override;

  void Expect(Handler handler) { expected_.push_back(std::move(handler)); }
  int Handled() const { return handled_; }
  int Pending() const { return static_cast<int>(expected_.size()); }
  // Every text a modal window showed, in order.
  const QStringList& Texts() const { return texts_; }

  // Texts of a window's labels, joined by new lines.
  static QString TextOf(QWidget* window);
  // Closes a dialog without accepting it.
  static void Dismiss(QWidget* window);

 private:
  void Check();

  QTimer timer_;
  std::deque<Handler> expected_;
  QPointer<QWidget> last_;
  int handled_ = 0;
  QStringList texts_;
};

// Expects an information or error window and dismisses it.
ModalGuard::Handler AcceptMessage();

}  // namespace uitest
