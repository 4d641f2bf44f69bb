#pragma once

#include <exception>
#include <string>

#include "ui/behaviour/message_texts.h"

namespace ui {

// Shows text in a modal information window with one OK button and returns once the user
// has dismissed it. Queued events go on being dispatched meanwhile.
void ShowInformation(const std::string& text);

// A question with Yes and No in the application's title, No the default; true for Yes.
bool AskYesNo(const std::string& text);

// The top-level error report: cancels a mouse capture or an open menu, shows the failure in
// a modal error box when ReportedText has a text for it and gives the focus back afterwards.
// Only the catch points call it.
void ReportException(const std::exception_ptr& failure);

}  // namespace ui
