#include "modal_guard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QWidget>

namespace uitest {

ModalGuard::ModalGuard() {
  connect(&timer_, &QTimer::timeout, this, &ModalGuard::Check);
  timer_.start(5);
}

ModalGuard::~ModalGuard() {
  EXPECT_TRUE(expected_.empty()) << expected_.size() << " expected modal windows never came";
}

QString ModalGuard::TextOf(QWidget* window) {
  QStringList parts;
  for (const QLabel* label : window->findChildren<QLabel*>()) {
    if (!label->text().isEmpty()) parts << label->text();
  }
  return parts.join(QLatin1Char('\n'));
}

void ModalGuard::Dismiss(QWidget* window) {
  if (auto* dialog = qobject_cast<QDialog*>(window)) {
    dialog->reject();
  } else {
    window->close();
  }
}

void ModalGuard::Check() {
  // A window may be shown again later (the file dialog is reused): forget it once hidden.
  if (last_ && !last_->isVisible()) last_ = nullptr;
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal || !modal->isVisible() || modal == last_) return;
  last_ = modal;
  texts_ << TextOf(modal);
  if (expected_.empty()) {
    ADD_FAILURE() << "unexpected modal window \"" << modal->windowTitle().toStdString()
                  << "\": " << TextOf(modal).toStdString();
    Dismiss(modal);
  } else {
    Handler handler = std::move(expected_.front());
    expected_.pop_front();
    ++handled_;
    handler(modal);
  }
}

ModalGuard::Handler AcceptMessage() {
  return [](QWidget* modal) { ModalGuard::Dismiss(modal); };
}

}  // namespace uitest
