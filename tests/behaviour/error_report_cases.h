#pragma once

#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sys/interrupt.h"
#include "ui/behaviour/message_texts.h"

// What the error report must show for each kind of failure, one table for every toolkit's
// report and for the rule itself: nothing for a silent one.
struct ErrorReportCase {
  const char* kind;
  std::exception_ptr failure;
  std::optional<std::string> shown;
};

inline std::vector<ErrorReportCase> ErrorReportCases() {
  return {
      {"an abort", std::make_exception_ptr(ui::EAbort()), std::nullopt},
      {"an interrupted conversion", std::make_exception_ptr(sys::EInterrupted()), std::nullopt},
      {"a failure ending in a letter",
       std::make_exception_ptr(std::runtime_error("Cannot open file \"плата.hex\". Нет файла")),
       "Cannot open file \"плата.hex\". Нет файла."},
      {"a failure ending in a parenthesis",
       std::make_exception_ptr(std::runtime_error("Can't open specified device COM9 (Error 2)")),
       "Can't open specified device COM9 (Error 2)"},
      {"a value of no exception class", std::make_exception_ptr(42), "Unknown failure."},
  };
}
