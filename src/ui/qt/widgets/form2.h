#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

class QLabel;

namespace ui {

// Where the prompt goes at its first showing: centred over the main window's outer frame,
// each coordinate that comes out negative set to 0.
QPoint PromptPosition(const QRect& mainFrame, const QSize& promptFrame);

// The power-on prompt: a small modeless window with one fixed line of text. Closing it only
// hides it; nothing else is told.
class TForm2 : public QWidget {
  Q_OBJECT

 public:
  // mainWindow is the window the prompt is centred over at its first showing.
  explicit TForm2(QWidget* mainWindow = nullptr);

  // Makes the prompt visible, brings it to the front and activates it.
  void Show();
  // Makes it invisible; nothing happens when it already is.
  void Hide();
  // Makes the window invisible as it stands, nothing else (the program's end).
  void HideWindow() { hide(); }

  QLabel* Label1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QPointer<QWidget> mainWindow_;
  bool placed_ = false;
};

}  // namespace ui
