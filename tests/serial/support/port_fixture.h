#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

#include "serial/comm_port.h"
#include "serial/loader_link.h"
#include "support/comm_error_of.h"
#include "support/loop_dispatcher.h"
#include "support/pty_pair.h"

// A port set up as the loader uses it (10400 bit/s 8N1, no flow control) on the slave side of
// a fresh pseudo-terminal, with a short closing pause so the tests stay quick.
class PortFixture : public ::testing::Test {
 protected:
  PortFixture() {
    port.SetDeviceName(pty.SlavePath());
    serial::SetLoaderLine(port);
    port.SetClosePause(std::chrono::milliseconds(0));
    port.ErrorReport = [this](const std::exception_ptr& error) {
      reported.push_back(serial::MessageOf(error));
    };
  }

  PtyPair pty;
  LoopDispatcher ui;
  serial::TCommPort port{ui};
  std::vector<std::string> reported;
};
