#include "modal_watcher.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QStringList>
#include <QTest>

#include <algorithm>

#include "ui/qt/widgets/information_dialog.h"

namespace testsupport {

SeenModal Describe(QWidget* modal) {
  SeenModal seen;
  seen.title = modal->windowTitle();
  if (auto* info = qobject_cast<ui::TInformationDialog*>(modal)) {
    seen.kind = QStringLiteral("information");
    seen.text = info->TextLabel->text();
  } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    seen.kind = box->icon() == QMessageBox::Critical ? QStringLiteral("error")
                                                     : QStringLiteral("messagebox");
    seen.text = box->text();
  } else if (qobject_cast<QFileDialog*>(modal)) {
    seen.kind = QStringLiteral("file");
  } else {
    seen.kind = QString::fromLatin1(modal->metaObject()->className());
  }
  return seen;
}

ModalWatcher::ModalWatcher() {
  timer_.setInterval(5);
  connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
  timer_.start();
}

ModalWatcher::~ModalWatcher() {
  timer_.stop();
}

void ModalWatcher::Expect(const QString& kind, Answer answer) {
  answers_.push_back({kind, std::move(answer)});
}

void ModalWatcher::ExpectAny(std::function<void(QWidget* modal)> handle) {
  answers_.push_back({QString(), [handle = std::move(handle)](QWidget* modal) {
                        handle(modal);
                        return true;
                      }});
}

int ModalWatcher::Unexpected() const {
  return static_cast<int>(
      std::count_if(seen_.begin(), seen_.end(), [](const SeenModal& s) { return !s.expected; }));
}

QString ModalWatcher::Kinds() const {
  QStringList kinds;
  for (const SeenModal& seen : seen_) kinds << seen.kind;
  return kinds.join(QLatin1Char(','));
}

void ModalWatcher::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal || !modal->isVisible()) return;
  handled_.erase(std::remove_if(handled_.begin(), handled_.end(),
                                [](const QPointer<QWidget>& p) { return p.isNull(); }),
                 handled_.end());
  const bool met = std::find(handled_.begin(), handled_.end(), modal) != handled_.end();
  if (met && modal != asking_) return;
  SeenModal seen = Describe(modal);
  auto expected = std::find_if(answers_.begin(), answers_.end(), [&](const Expected& e) {
    return e.kind.isEmpty() || e.kind == seen.kind;
  });
  if (!met) {
    handled_.emplace_back(modal);
    seen.expected = expected != answers_.end();
    seen_.push_back(seen);
  }
  if (expected == answers_.end()) {
    if (!met) {
      ADD_FAILURE() << "unexpected modal window (" << seen.kind.toStdString() << ") \""
                    << seen.title.toStdString() << "\": " << TextOf(modal).toStdString();
    }
    Dismiss(modal);
    return;
  }
  // An answer may run a nested event loop; the poll must not answer the same window again.
  if (modal == answering_) return;
  Expected next = std::move(*expected);
  answers_.erase(expected);
  answering_ = modal;
  const bool done = next.answer(modal);
  answering_ = nullptr;
  if (done) {
    ++answered_;
    if (asking_ == modal) asking_ = nullptr;
  } else {
    asking_ = modal;
    answers_.push_front(std::move(next));
  }
}

ModalWatcher::Answer ModalWatcher::Accept() {
  return [](QWidget* modal) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->accept();
    return true;
  };
}

ModalWatcher::Answer ModalWatcher::CopyThenAccept(QString* copied) {
  return [copied](QWidget* modal) {
    QTest::keyClick(modal, Qt::Key_C, Qt::ControlModifier);
    *copied = QGuiApplication::clipboard()->text();
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->accept();
    return true;
  };
}

ModalWatcher::Answer ModalWatcher::CheckThenAccept(std::function<void(QWidget*)> check) {
  return [check = std::move(check)](QWidget* modal) {
    check(modal);
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->accept();
    return true;
  };
}

ModalWatcher::Answer ModalWatcher::Do(std::function<void(QWidget*)> action) {
  return [action = std::move(action)](QWidget* modal) {
    action(modal);
    return true;
  };
}

QString ModalWatcher::TextOf(QWidget* window) {
  QStringList parts;
  for (const QLabel* label : window->findChildren<QLabel*>()) {
    if (!label->text().isEmpty()) parts << label->text();
  }
  return parts.join(QLatin1Char('\n'));
}

void ModalWatcher::Dismiss(QWidget* window) {
  if (auto* dialog = qobject_cast<QDialog*>(window)) {
    dialog->reject();
  } else {
    window->close();
  }
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  return QTest::qWaitFor(condition, timeoutMs);
}

}  // namespace testsupport
