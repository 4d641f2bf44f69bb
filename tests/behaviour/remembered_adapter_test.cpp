#include <gtest/gtest.h>

#include "behaviour_rig.h"

namespace behaviourtest {
namespace {

constexpr char kById[] = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";

// The adapter plugged into another socket comes back as ttyUSB1: the window takes it under its
// new name without asking; a file from before the identity was kept behaves as it always did.
TEST(RememberedAdapter, IsFoundUnderItsNewNameAndOlderFilesBehaveAsBefore) {
  {
    BehaviourRig rig;
    rig.ports = {"ttyUSB0"};
    rig.identities = {{"ttyUSB0", kById}};
    rig.WriteValidSettings();
    rig.Create();
    rig.form->PortMenuItemClick("ttyUSB0");
    EXPECT_NE(rig.ReadSettings().find(std::string("Identity=") + kById), std::string::npos)
        << rig.ReadSettings();
    const std::string settings = rig.ReadSettings();
    rig.form.reset();

    rig.ports = {"ttyS0", "ttyUSB1"};
    rig.identities = {{"ttyUSB1", kById}};
    rig.controls = FakeControls();
    rig.Create();
    rig.controls.RunPosted();
    EXPECT_EQ(rig.form->Comm1.DeviceName(), "ttyUSB1");
    EXPECT_EQ(rig.controls.portCaption, "ttyUSB1");
    EXPECT_TRUE(rig.controls.informations.empty());
    EXPECT_EQ(rig.ReadSettings(), settings) << "nothing is written at start-up";
  }
  BehaviourRig rig;
  rig.ports = {"ttyUSB1"};
  rig.identities = {{"ttyUSB1", kById}};
  rig.WriteSettings("[PortName]\nName=ttyUSB0\n[FileName]\nName=" + rig.MakeFile("board.hex") +
                    "\n");
  rig.Create();
  rig.controls.RunPosted();
  EXPECT_EQ(rig.controls.informations, std::vector<std::string>{ui::kPortNotDefinedText});
}

}  // namespace
}  // namespace behaviourtest
