// The h2b command: image name on standard output, message on standard error, exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "hex_files.h"

namespace h2b_test {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome RunTool(const std::string& arguments, const std::string& before = "") {
  const std::string command =
      before + "'" + std::string(H2B_TOOL) + "' " + arguments + " >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  const Bytes out = ReadFile("out.txt");
  const Bytes err = ReadFile("err.txt");
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(out.begin(), out.end()),
          std::string(err.begin(), err.end())};
}

TEST(H2bTool, ReportsImageNameOrFailure) {
  TempDir dir;
  WriteFile("app.hex", DataRecord(2, {0x11, 0x22}));
  Outcome outcome = RunTool("app.hex");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "app.BIN\n");
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(ReadFile("app.BIN"), Bytes({0xFF, 0xFF, 0x11, 0x22}));

  outcome = RunTool("missing.hex");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err,
            "Cannot open file \"" + dir.Path() + "/missing.hex\". No such file or directory\n");

  WriteFile("bad.hex", ":0100000001\r\n:01000100\r\n");
  outcome = RunTool("bad.hex");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "'$' is not a valid integer value\n");

  // Past a file-size limit: the message, not death by SIGXFSZ.
  WriteFile("big.hex", LinearRecord(0x0001) + DataRecord(0, {1}));
  outcome = RunTool("big.hex", "ulimit -f 8; ");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "Cannot write file \"" + dir.Path() + "/big.BIN\". File too large\n");
  EXPECT_FALSE(Exists("big.BIN"));

  EXPECT_EQ(RunTool("").status, 2);
  EXPECT_EQ(RunTool("a.hex b.hex").status, 2);
}

// The conventions of command-line tools: help, version, "--", a folder named as such.
TEST(H2bTool, SpeaksLikeACommandLineTool) {
  TempDir dir;
  for (const char* help : {"-h", "--help"}) {
    const Outcome outcome = RunTool(help);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out.rfind("Usage: zagruzchik-h2b [OPTION]... HEXFILE\n", 0), 0u)
        << outcome.out;
    EXPECT_FALSE(Exists("--help.BIN"));
  }
  // The project's version and the build's number.
  const std::string version = RunTool("--version").out;
  EXPECT_TRUE(std::regex_match(version, std::regex("zagruzchik-h2b 1\\.0\\.[0-9]+\n"))) << version;

  Outcome outcome = RunTool("--bogus app.hex");
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err,
            "zagruzchik-h2b: unknown option: --bogus\nUsage: zagruzchik-h2b [OPTION]... HEXFILE\n"
            "Try 'zagruzchik-h2b --help' for more information.\n");

  // After "--" a name that starts with a dash is a file.
  WriteFile("-app.hex", DataRecord(0, {0x42}));
  outcome = RunTool("-- -app.hex");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReadFile("-app.BIN"), Bytes({0x42}));

  std::filesystem::create_directory("folder.hex");
  outcome = RunTool("folder.hex");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "Cannot open file \"" + dir.Path() + "/folder.hex\". Is a directory\n");
}

}  // namespace
}  // namespace h2b_test
