#pragma once

#include <cstdint>

#include "serial/comm_settings.h"

namespace serial::linux_tty {

// The line as the driver reports it.
struct LineState {
  std::uint32_t inputRate = 0;
  std::uint32_t outputRate = 0;
  int dataBits = 0;
  bool parity = false;
  bool oddParity = false;
  bool markSpaceParity = false;
  bool twoStopBits = false;
  bool receiverOn = false;        // CREAD
  bool ignoreModem = false;       // CLOCAL
  bool hangUpOnClose = false;     // HUPCL
  bool rtsCtsFlow = false;        // CRTSCTS
  bool xonOutput = false;         // IXON
  bool xonInput = false;          // IXOFF
  bool xonAny = false;            // IXANY
  bool parityCheck = false;       // INPCK
  bool canonical = false;         // ICANON
  bool echo = false;              // ECHO
  bool outputProcessing = false;  // OPOST
};

struct LineRates {
  std::uint32_t input = 0;
  std::uint32_t output = 0;
};

// Sets the port raw, from zero, asking for the exact rate, and reads back the rates the driver
// runs at; 0 or the errno of the failure.
int SetRawLine(int fd, const TLineSettings& line, LineRates& actual);
// 0 or the errno of the failure.
int GetLineState(int fd, LineState& state);

// The whole line setting as the driver keeps it, to be put back as it was.
struct SavedLine {
  alignas(8) unsigned char raw[64] = {};
  bool valid = false;
};
void SaveLine(int fd, SavedLine& saved);
void RestoreLine(int fd, const SavedLine& saved);

}  // namespace serial::linux_tty
