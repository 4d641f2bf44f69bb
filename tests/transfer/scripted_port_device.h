#pragma once

#include <cstdint>
#include <string>

#include "scripted_target.h"
#include "serial/port_device.h"

namespace transfer::testing {

// The scripted boot loader behind the window's port interface, counting the closes.
class ScriptedPortDevice : public serial::TPortDevice {
 public:
  ScriptedPortDevice() : target(nullptr, "COM%d") {}

  std::string DeviceName() const override { return target.DeviceName(); }
  bool Active() const override { return target.Active(); }
  void Open() override { target.Open(); }
  std::int32_t WriteBuf(const std::uint8_t* buffer, std::int32_t count) override {
    return target.WriteBuf(buffer, count);
  }
  std::int32_t ReadBuf(std::uint8_t* buffer, std::int32_t count) override {
    return target.ReadBuf(buffer, count);
  }
  void SetDeviceName(const std::string& name) override { target.SetDeviceName(name); }
  void Close() override {
    ++closes;
    target.SetActive(false);
  }

  ScriptedTarget target;
  int closes = 0;
};

}  // namespace transfer::testing
