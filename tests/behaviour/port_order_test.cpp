#include <gtest/gtest.h>

#include "sys/compare_text.h"

// The order of the window's port menu and of the flasher's list: the user's locale, letter
// case aside; whatever the locale, these hold.
TEST(PortOrder, IgnoresLetterCaseAlsoInCyrillicAndComparesDigitsAsText) {
  EXPECT_EQ(sys::CompareText("COM1", "com1"), 0);
  EXPECT_EQ(sys::CompareText("ПОРТ", "порт"), 0);
  EXPECT_LT(sys::CompareText("а", "Б"), 0);
  EXPECT_GT(sys::CompareText("б", "А"), 0);
  EXPECT_LT(sys::CompareText("COM10", "com2"), 0);

  std::vector<std::string> names{"ttyUSB1", "COM2", "com1", "COM10", "TTYusb0"};
  sys::SortTexts(names);
  EXPECT_EQ(names, (std::vector<std::string>{"com1", "COM10", "COM2", "TTYusb0", "ttyUSB1"}));

  // Names the system gives need not be UTF-8: they still take one consistent place.
  const std::string broken = "tty\xff\xc3";
  EXPECT_EQ(sys::CompareText(broken, broken), 0);
  EXPECT_EQ(sys::CompareText(broken, "ttyA") < 0, sys::CompareText("ttyA", broken) > 0);
}
