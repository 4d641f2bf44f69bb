#include "ui/behaviour/message_texts.h"

#include "sys/interrupt.h"

namespace ui {

std::string ErrorReportText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + '.';
  return message;
}

std::optional<std::string> ReportedText(const std::exception_ptr& failure) {
  if (!failure) return std::nullopt;
  try {
    std::rethrow_exception(failure);
  } catch (const EAbort&) {
  } catch (const sys::EInterrupted&) {
  } catch (const std::exception& e) {
    return ErrorReportText(e.what());
  } catch (...) {
    return ErrorReportText("Unknown failure");
  }
  return std::nullopt;
}

}  // namespace ui
