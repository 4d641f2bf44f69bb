// The window tests' main: the thread joins COM and loads the common controls, as the loader's
// own start-up does.
#include <gtest/gtest.h>

#include "ui/win32/application.h"

int main(int argc, char** argv) {
  const ui::TApplicationSetup application;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
