#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <vector>

namespace testsupport {

// One modal window as the watcher met it.
struct SeenModal {
  QString kind;  // "information", "error", "file" or the class name of anything else
  QString title;
  QString text;
  bool expected = true;
};

// Answers modal windows from inside their own event loops, for every test folder. It polls the
// active modal window; each new one is recorded and handed to the first queued answer for its
// kind (or for any kind). A modal window with no answer for it fails the test and is closed,
// so a test never hangs on one.
class ModalWatcher : public QObject {
 public:
  // Returns false to be asked again at the next poll (the window stays up meanwhile).
  using Answer = std::function<bool(QWidget* modal)>;

  ModalWatcher();
  ~ModalWatcher() override;

  void Expect(const QString& kind, Answer answer);
  // The next window of whatever kind, in the order expected; handle must close it.
  void ExpectAny(std::function<void(QWidget* modal)> handle);
  // Unexpected windows met so far.
  int Unexpected() const;
  std::size_t Pending() const { return answers_.size(); }
  // Windows answered so far.
  int Answered() const { return answered_; }
  const std::vector<SeenModal>& Seen() const { return seen_; }
  // Kinds in the order met, e.g. "file,information".
  QString Kinds() const;

  // Ready answers.
  static Answer Accept();
  // Presses Ctrl+C in the window, keeps the clipboard text in *copied, then accepts.
  static Answer CopyThenAccept(QString* copied);
  // Runs check while the window is up, then accepts.
  static Answer CheckThenAccept(std::function<void(QWidget*)> check);
  // Runs action (which must close the window).
  static Answer Do(std::function<void(QWidget*)> action);

  // Texts of a window's labels, joined by new lines.
  static QString TextOf(QWidget* window);
  // Closes a dialog without accepting it.
  static void Dismiss(QWidget* window);

 private:
  void Poll();

  QTimer timer_;
  struct Expected {
    QString kind;
    Answer answer;
  };
  std::deque<Expected> answers_;
  QPointer<QWidget> asking_;     // met and recorded, its answer not yet done
  QPointer<QWidget> answering_;  // its answer is running
  std::vector<SeenModal> seen_;
  std::vector<QPointer<QWidget>> handled_;
  int answered_ = 0;
};

SeenModal Describe(QWidget* modal);

// Processes events until condition holds or the bound passes; returns the condition.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000);

}  // namespace testsupport
