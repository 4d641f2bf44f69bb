#include <gtest/gtest.h>

#include "serial/comm_error.h"
#include "serial/rate_tolerance.h"

using namespace serial;

namespace {

std::string RefusalOf(std::uint32_t input, std::uint32_t output) {
  try {
    CheckRateReadBack(10400, input, output);
  } catch (const ECommError& e) {
    return e.what();
  }
  return {};
}

}  // namespace

// What common adapters report after 10400 bit/s was asked for.
TEST(RateReadBack, AdaptersWithinTwoPercentOpenOthersAreRefusedWithTheirRate) {
  EXPECT_EQ(RefusalOf(10400, 10400), "");  // exact, or an 8250 that rounds its divisor
  EXPECT_EQ(RefusalOf(10398, 10398), "");  // CP2104, CP2105, CP2102N
  EXPECT_EQ(RefusalOf(10416, 10416), "");  // PL2303 HX
  EXPECT_EQ(RefusalOf(10407, 10407), "");  // PL2303 TA
  EXPECT_EQ(RefusalOf(10192, 10608), "");  // the edges: 2 % either way
  EXPECT_EQ(RefusalOf(14400, 14400),       // CP2101-2103 and CP2108 from their rate table
            "The device cannot run at 10400 bit/s (it runs at 14400 bit/s)");
  EXPECT_EQ(RefusalOf(9600, 9600), "The device cannot run at 10400 bit/s (it runs at 9600 bit/s)");
  EXPECT_EQ(RefusalOf(10191, 10400),
            "The device cannot run at 10400 bit/s (it runs at 10400 bit/s)");
  EXPECT_EQ(RefusalOf(10400, 10609),
            "The device cannot run at 10400 bit/s (it runs at 10609 bit/s)");
  EXPECT_EQ(RefusalOf(0, 0), "The device cannot run at 10400 bit/s (it runs at 0 bit/s)");
}
