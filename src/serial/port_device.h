#pragma once

#include <string>

#include "transfer/port.h"

namespace serial {

// What the main window needs of its serial port beyond what a download needs: choosing the
// device and closing it again. TCommPort is one; the window's tests script another.
class TPortDevice : public transfer::Port {
 public:
  // Only while closed.
  virtual void SetDeviceName(const std::string& name) = 0;
  virtual void Close() = 0;
};

}  // namespace serial
