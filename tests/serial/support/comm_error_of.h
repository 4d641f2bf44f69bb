#pragma once

#include <string>

#include "serial/comm_error.h"

// The message an ECommError from f carries; empty when f raises nothing.
template <typename F>
std::string CommErrorOf(F&& f) {
  try {
    f();
  } catch (const serial::ECommError& e) {
    return e.what();
  }
  return {};
}
