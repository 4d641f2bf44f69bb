#include "ui/behaviour/message_texts.h"

#include "sys/interrupt.h"
#include "transfer/line_time.h"

#include <cmath>
#include <cstdio>

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

std::string LongDownloadQuestion(const transfer::ImageExtent& extent) {
  const double seconds = transfer::LineSeconds(extent.size);
  const long minutes = std::lround(seconds / 60);
  char text[512];
  std::snprintf(text, sizeof text, "Загрузка займёт %ld ч %ld мин: образ %llu байт, %llu блоков.",
                minutes / 60, minutes % 60, static_cast<unsigned long long>(extent.size),
                static_cast<unsigned long long>(transfer::BlockCount(extent.size)));
  std::string question = text;
  if (extent.lowestAddress && *extent.lowestAddress >= transfer::kAddressSpace) {
    std::snprintf(text, sizeof text,
                  " Данные HEX-файла начинаются с адреса 0x%08llX, а образ всегда начинается с "
                  "адреса 0: всё, что ниже, будет отправлено байтами 0xFF.",
                  static_cast<unsigned long long>(*extent.lowestAddress));
    question += text;
  }
  return question + " Продолжить?";
}

}  // namespace ui
