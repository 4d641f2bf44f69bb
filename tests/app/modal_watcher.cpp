#include "modal_watcher.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QStringList>
#include <QTest>

#include <algorithm>

#include "ui/information_dialog.h"

namespace apptest {

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

void ModalWatcher::Expect(Answer answer) {
  answers_.push_back(std::move(answer));
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
  if (std::find(handled_.begin(), handled_.end(), modal) != handled_.end()) return;
  handled_.emplace_back(modal);
  SeenModal seen = Describe(modal);
  if (answers_.empty()) {
    seen.expected = false;
    seen_.push_back(seen);
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    return;
  }
  seen_.push_back(seen);
  Answer answer = std::move(answers_.front());
  answers_.pop_front();
  answer(modal);
}

ModalWatcher::Answer ModalWatcher::Accept() {
  return [](QWidget* modal) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->accept();
  };
}

ModalWatcher::Answer ModalWatcher::CopyThenAccept(QString* copied) {
  return [copied](QWidget* modal) {
    QTest::keyClick(modal, Qt::Key_C, Qt::ControlModifier);
    *copied = QGuiApplication::clipboard()->text();
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->accept();
  };
}

ModalWatcher::Answer ModalWatcher::CheckThenAccept(std::function<void(QWidget*)> check) {
  return [check = std::move(check)](QWidget* modal) {
    check(modal);
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->accept();
  };
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  return QTest::qWaitFor(condition, timeoutMs);
}

}  // namespace apptest
