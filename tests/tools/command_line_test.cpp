// The companions' one argument parser.
#include <gtest/gtest.h>

#include <vector>

#include "command_line.h"

namespace {

cli::CommandLine Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "tool");
  return cli::Parse(std::vector<std::string>(args.begin(), args.end()),
                    {{"port", true}, {"bit7", false}});
}

TEST(CommandLine, OptionsValuesAndOperandsAsToolsTakeThem) {
  const cli::CommandLine line =
      Parse({"--port", "ttyUSB0", "a.hex", "--bit7", "--port=ttyS1", "-", "--", "--port", "-h"});
  EXPECT_EQ(line.Value("port"), "ttyS1") << "the last one counts";
  EXPECT_TRUE(line.Has("bit7"));
  EXPECT_FALSE(line.Has("help")) << "after -- it is a file name";
  EXPECT_EQ(line.operands, (std::vector<std::string>{"a.hex", "-", "--port", "-h"}));
  EXPECT_EQ(Parse({"--port="}).Value("port"), "");
  EXPECT_TRUE(Parse({"-h"}).Has("help"));
  EXPECT_TRUE(Parse({"--help"}).Has("help"));
  EXPECT_TRUE(Parse({"--version"}).Has("version"));
}

TEST(CommandLine, MistakesAreUsageErrorsWithTheirReason) {
  const auto reason = [](std::vector<const char*> args) -> std::string {
    try {
      Parse(std::move(args));
    } catch (const cli::UsageError& error) {
      return error.what();
    }
    return "accepted";
  };
  EXPECT_EQ(reason({"--speed", "9600"}), "unknown option: --speed");
  EXPECT_EQ(reason({"-p"}), "unknown option: -p");
  EXPECT_EQ(reason({"--por", "x"}), "unknown option: --por") << "no guessing at prefixes";
  EXPECT_EQ(reason({"--port"}), "--port needs a value");
  EXPECT_EQ(reason({"--bit7=1"}), "--bit7 takes no value");
}

}  // namespace
