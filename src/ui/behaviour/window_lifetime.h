#pragma once

#include <memory>
#include <utility>

namespace ui {

// The program's two windows from start-up to shutdown, whatever toolkit draws them. The main
// window comes first (its FormCreate runs inside, while it is invisible and no prompt exists
// yet), then the prompt, hidden. At the end what is still shown is hidden, the prompt is
// destroyed, then the main window (whose FormDestroy releases the image file and closes the
// port). Form1 has SetPromptWindow(Form2*); both have HideWindow().
template <typename Form1, typename Form2>
class WindowLifetime {
 public:
  // makeForm1() and makeForm2(Form1&) return each window in a std::unique_ptr.
  template <typename MakeForm1, typename MakeForm2>
  WindowLifetime(MakeForm1&& makeForm1, MakeForm2&& makeForm2)
      : form1_(std::forward<MakeForm1>(makeForm1)()),
        form2_(std::forward<MakeForm2>(makeForm2)(*form1_)) {
    form1_->SetPromptWindow(form2_.get());
  }
  ~WindowLifetime() {
    form2_->HideWindow();
    form1_->HideWindow();
    form1_->SetPromptWindow(nullptr);
    form2_.reset();
    form1_.reset();
  }
  WindowLifetime(const WindowLifetime&) = delete;
  WindowLifetime& operator=(const WindowLifetime&) = delete;

  Form1& Main() { return *form1_; }
  Form2& Prompt() { return *form2_; }

 private:
  std::unique_ptr<Form1> form1_;
  std::unique_ptr<Form2> form2_;
};

}  // namespace ui
