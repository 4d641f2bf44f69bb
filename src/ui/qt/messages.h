#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace ui {

// The application title: the caption of every information message and error report.
inline constexpr char kApplicationTitle[] = "Загрузчик";

// A failure that only stops an operation; the error report stays silent about it.
class EAbort : public std::runtime_error {
 public:
  EAbort() : std::runtime_error("Operation aborted") {}
};

// Shows text in a modal information window with one OK button and returns once the user
// has dismissed it. Queued events go on being dispatched meanwhile.
void ShowInformation(const std::string& text);

// The text the error report shows for a failure's message: a full stop is appended when
// the last byte, taken as unsigned, is above '.' (so UTF-8 letters get one too).
std::string ErrorReportText(const std::string& message);

// The top-level error report: cancels a mouse capture or an open menu, shows the failure in
// a modal error box (silent aborts excepted) and gives the focus back afterwards. Only the
// catch points call it.
void ReportException(const std::exception& failure);
void ReportException(const std::exception_ptr& failure);

}  // namespace ui
