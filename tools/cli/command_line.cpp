#include "command_line.h"

#include <cstdio>
#include <string_view>

#include "sys/process.h"

namespace cli {

const char* const kVersion = LOADER_VERSION;

std::optional<std::string> CommandLine::Value(const std::string& name) const {
  const auto found = options.find(name);
  if (found == options.end()) return std::nullopt;
  return found->second;
}

std::vector<std::string> CommandLine::Values(const std::string& name) const {
  const auto found = repeated.find(name);
  return found == repeated.end() ? std::vector<std::string>() : found->second;
}

CommandLine Parse(const std::vector<std::string>& args, std::initializer_list<OptionSpec> specs) {
  CommandLine parsed;
  bool optionsEnded = false;
  const int argc = static_cast<int>(args.size());
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = args[i];
    if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
      parsed.operands.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      parsed.Set("help", "");
      continue;
    }
    if (arg == "--version") {
      parsed.Set("version", "");
      continue;
    }
    if (arg.substr(0, 2) != "--") {
      const OptionSpec* spec = nullptr;
      for (const OptionSpec& candidate : specs) {
        if (candidate.shortName != 0 && arg[1] == candidate.shortName) spec = &candidate;
      }
      if (!spec) throw UsageError("unknown option: " + std::string(arg));
      const std::string name = spec->name;
      if (!spec->takesValue) {
        if (arg.size() > 2) throw UsageError("unknown option: " + std::string(arg));
        parsed.Set(name, "");
      } else if (arg.size() > 2) {
        parsed.Set(name, std::string(arg.substr(2)));
      } else if (i + 1 < argc) {
        parsed.Set(name, args[++i]);
      } else {
        throw UsageError(std::string(arg) + " needs a value");
      }
      continue;
    }
    const std::string_view body = arg.substr(2);
    const auto equals = body.find('=');
    const std::string name(body.substr(0, equals));
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& candidate : specs) {
      if (name == candidate.name) spec = &candidate;
    }
    if (!spec) throw UsageError("unknown option: --" + name);
    if (!spec->takesValue) {
      if (equals != std::string_view::npos) throw UsageError("--" + name + " takes no value");
      parsed.Set(name, "");
    } else if (equals != std::string_view::npos) {
      parsed.Set(name, std::string(body.substr(equals + 1)));
    } else if (i + 1 < argc) {
      parsed.Set(name, args[++i]);
    } else {
      throw UsageError("--" + name + " needs a value");
    }
  }
  return parsed;
}

std::string HelpText(const Program& program) {
  return std::string("Usage: ") + program.name + " " + program.synopsis + "\n" +
         program.description;
}

void PrintUsageError(const Program& program, const std::string& message) {
  std::fprintf(stderr, "%s: %s\nUsage: %s %s\nTry '%s --help' for more information.\n",
               program.name, message.c_str(), program.name, program.synopsis, program.name);
}

std::optional<int> ParseOrExit(const Program& program, int argc, char* const* argv,
                               std::initializer_list<OptionSpec> specs, CommandLine& parsed) {
  sys::UseUtf8Console();
  try {
    parsed = Parse(sys::Utf8Arguments(argc, argv), specs);
  } catch (const UsageError& error) {
    PrintUsageError(program, error.what());
    return 2;
  }
  if (parsed.Has("help")) {
    std::fputs(HelpText(program).c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (parsed.Has("version")) {
    std::printf("%s %s\n", program.name, kVersion);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  return std::nullopt;
}

std::optional<int> ParseOrExit(const Program& program, int argc, char* const* argv,
                               std::initializer_list<OptionSpec> specs,
                               const std::function<void(const CommandLine&)>& take) {
  CommandLine line;
  if (const auto done = ParseOrExit(program, argc, argv, specs, line)) return done;
  try {
    take(line);
  } catch (const UsageError& error) {
    PrintUsageError(program, error.what());
    return 2;
  }
  return std::nullopt;
}

}  // namespace cli
