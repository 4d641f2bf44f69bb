// The companions' one argument parser.
#include <gtest/gtest.h>

#include <vector>

#include "command_line.h"

namespace {

cli::CommandLine Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "tool");
  return cli::Parse(std::vector<std::string>(args.begin(), args.end()),
                    {{"port", true, 'p'}, {"bit7", false, 'b'}, {"out", true}});
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

// The common options have a letter too: "-p ttyUSB0" and "-pttyUSB0" are "--port ttyUSB0".
TEST(CommandLine, ShortNamesStandForTheirOptions) {
  EXPECT_EQ(Parse({"-p", "ttyUSB0", "a.hex"}).Value("port"), "ttyUSB0");
  EXPECT_EQ(Parse({"-pttyS1"}).Value("port"), "ttyS1");
  const cli::CommandLine line = Parse({"-b", "a.hex"});
  EXPECT_TRUE(line.Has("bit7"));
  EXPECT_EQ(line.operands, std::vector<std::string>{"a.hex"});
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
  EXPECT_EQ(reason({"-p"}), "-p needs a value");
  EXPECT_EQ(reason({"-o", "x"}), "unknown option: -o") << "--out has no short name";
  EXPECT_EQ(reason({"-bx"}), "unknown option: -bx");
  EXPECT_EQ(reason({"--por", "x"}), "unknown option: --por") << "no guessing at prefixes";
  EXPECT_EQ(reason({"--port"}), "--port needs a value");
  EXPECT_EQ(reason({"--bit7=1"}), "--bit7 takes no value");
}

}  // namespace
