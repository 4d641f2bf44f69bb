#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace ui {

// The modal information window: the application title as caption, no icon, the text wrapped
// at half the screen's width and one OK button that is both default and cancel.
class TInformationDialog : public QDialog {
  Q_OBJECT

 public:
  // caption: the application's title.
  TInformationDialog(const QString& caption, const QString& text, QWidget* parent = nullptr);

  // What Ctrl+C puts on the clipboard: caption, text and button between dividers, CR LF lines.
  QString ClipboardText() const;

  QLabel* TextLabel = nullptr;
  QPushButton* OkButton = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
};

}  // namespace ui
