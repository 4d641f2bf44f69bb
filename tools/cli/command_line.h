#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// The project's version, as --version prints it.
extern const char* const kVersion;

// A mistake on the command line: the program prints it with its usage line and exits 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One long option, named without its dashes.
struct OptionSpec {
  const char* name;
  bool takesValue;
  char shortName = 0;  // "-p VALUE" or "-pVALUE" for --port VALUE; 0: none
};

// What a program tells of itself: its name, what follows the name in its usage line, and the
// rest of its --help (description, options, exit codes).
struct Program {
  const char* name;
  const char* synopsis;
  const char* description;
};

// The options given (the last value counts when one is repeated, and every value is kept in
// order; "" for one without a value) and the operands, in order.
struct CommandLine {
  std::map<std::string, std::string> options;
  std::map<std::string, std::vector<std::string>> repeated;
  std::vector<std::string> operands;

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  std::optional<std::string> Value(const std::string& name) const;
  // Every value the option was given, in order.
  std::vector<std::string> Values(const std::string& name) const;
  void Set(const std::string& name, const std::string& value) {
    options[name] = value;
    repeated[name].push_back(value);
  }
};

// Parses the way command-line tools do: "--name VALUE", "--name=VALUE", "--" ends the options,
// "-" alone is an operand. "-h", "--help" and "--version" are always known; they are returned
// as "help" and "version". Throws UsageError for an unknown option or a missing value.
CommandLine Parse(const std::vector<std::string>& args, std::initializer_list<OptionSpec> specs);

// "Usage: NAME SYNOPSIS" and the description: what --help prints.
std::string HelpText(const Program& program);

// Takes the arguments as sys::Utf8Arguments does, makes a Windows console show UTF-8 until the
// program ends, parses and
// answers the standard requests: prints --help or --version to stdout (exit 0) or a
// usage error with the usage line to stderr (exit 2). Returns the exit code then; nothing when
// the program goes on with the command line in `parsed`.
std::optional<int> ParseOrExit(const Program& program, int argc, char* const* argv,
                               std::initializer_list<OptionSpec> specs, CommandLine& parsed);

// ParseOrExit, then take(line) for the program's own options; a UsageError it throws is
// printed like the parser's own (exit 2).
std::optional<int> ParseOrExit(const Program& program, int argc, char* const* argv,
                               std::initializer_list<OptionSpec> specs,
                               const std::function<void(const CommandLine&)>& take);

// The usage error as every companion prints it.
void PrintUsageError(const Program& program, const std::string& message);

}  // namespace cli
