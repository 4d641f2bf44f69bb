#pragma once

#include <memory>
#include <string>

#include "serial/comm_device.h"

namespace serial {

// A serial port on a terminal server or ser2net, opened by its whole name: "rfc2217://HOST:PORT"
// speaks Telnet with the com-port option (the line set as the loader needs it, DTR and RTS
// lowered first), "socket://HOST:PORT" is raw TCP on a line the server has set up. IPv6
// addresses go in brackets: rfc2217://[::1]:4001.
std::unique_ptr<CommDevice> OpenRfc2217Device(const std::string& name);
std::unique_ptr<CommDevice> OpenSocketDevice(const std::string& name);

}  // namespace serial
