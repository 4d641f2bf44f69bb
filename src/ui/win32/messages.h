#pragma once

#include <exception>
#include <string>

#include "ui/behaviour/message_texts.h"

namespace ui {

// The system's message box with no icon and the application title as its caption; returns
// once the user has dismissed it. Every window of the program is disabled meanwhile, while
// posted messages go on being dispatched.
void ShowInformation(const std::string& text);

// The system's question box, Yes and No with No the default; true for Yes.
bool AskYesNo(const std::string& text);

// The top-level error report: cancels a mouse capture or an open menu, shows the failure in
// the system's stop box when ReportedText has a text for it and gives activation and focus back
// afterwards. Only the catch points call it.
void ReportException(const std::exception_ptr& failure);

}  // namespace ui
