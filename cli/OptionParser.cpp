#include "cli/OptionParser.h"

#include <algorithm>
#include <iostream>

namespace sarvane::cli {

namespace {
const std::string kNoValue;
const std::vector<std::string> kNoValues;
}  // namespace

const std::string& TParsedOptions::Value(std::string_view name) const {
  const auto it = values_.find(name);
  return it == values_.end() || it->second.empty() ? kNoValue : it->second.back();
}

const std::vector<std::string>& TParsedOptions::All(std::string_view name) const {
  const auto it = values_.find(name);
  return it == values_.end() ? kNoValues : it->second;
}

bool ParseOptions(int argc, char** argv, std::span<const TOptionSpec> specs, TParsedOptions& parsed,
                  std::string& error) {
  parsed = TParsedOptions();
  bool optionsEnd = false;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (optionsEnd || arg.empty() || arg[0] != '-' || arg == "-") {
      parsed.Operands.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnd = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      parsed.Help = true;
      continue;
    }
    const size_t eq = arg.find('=');
    const std::string_view name = arg.substr(0, eq);
    const auto spec = std::find_if(specs.begin(), specs.end(), [&](const TOptionSpec& s) { return s.Name == name; });
    if (spec == specs.end()) {
      error = "unknown option '" + std::string(name) + "'";
      return false;
    }
    std::vector<std::string>& values = parsed.values_[std::string(name)];
    if (!spec->TakesValue) {
      if (eq != std::string_view::npos) {
        error = "option '" + std::string(name) + "' takes no value";
        return false;
      }
      continue;
    }
    if (eq != std::string_view::npos) {
      values.emplace_back(arg.substr(eq + 1));
    } else if (i + 1 < argc) {
      values.emplace_back(argv[++i]);
    } else {
      error = "option '" + std::string(name) + "' needs a value";
      return false;
    }
  }
  return true;
}

std::optional<int> ReadCommandLine(std::string_view command, std::string_view usage, int argc, char** argv,
                                   std::span<const TOptionSpec> specs, TParsedOptions& parsed) {
  std::string error;
  if (!ParseOptions(argc, argv, specs, parsed, error)) {
    std::cerr << "sarvane-cli " << command << ": " << error << "\n" << usage;
    return 1;
  }
  if (parsed.Help) {
    std::cout << usage;
    return 0;
  }
  return std::nullopt;
}

}  // namespace sarvane::cli
