#pragma once

#include <exception>
#include <optional>
#include <stdexcept>
#include <string>

#include "transfer/image_source.h"

namespace ui {

// The application title: the caption of every information message and error report.
inline constexpr char kApplicationTitle[] = "Загрузчик";

// A failure that only stops an operation; the error report stays silent about it.
class EAbort : public std::runtime_error {
 public:
  EAbort() : std::runtime_error("Operation aborted") {}
};

// The text the error report shows for a failure's message: a full stop is appended when
// the last byte, taken as unsigned, is above '.' (so UTF-8 letters get one too).
std::string ErrorReportText(const std::string& message);

// What the error report shows for a failure, the one rule of every toolkit: nothing for EAbort
// and for sys::EInterrupted (the user asked to stop; the program closes as asked), the
// message by ErrorReportText for any other exception, "Unknown failure." for a thrown value
// of no exception class (nothing may leave a handler unreported).
std::optional<std::string> ReportedText(const std::exception_ptr& failure);

// Longer downloads are asked about before the prompt.
inline constexpr double kLongDownloadSeconds = 3600;

// The question before such a download, in Russian: its size, blocks and time on the line, and
// where the HEX file's data begins when that is high.
std::string LongDownloadQuestion(const transfer::ImageExtent& extent);

}  // namespace ui
