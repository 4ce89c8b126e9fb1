#pragma once
// One reading of the command line for every command: "--name VALUE" and
// "--name=VALUE" alike, flags, "--" ending the options, "-" as a file, and
// "--help"/"-h" anywhere.
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sarvane::cli {

struct TOptionSpec {
  std::string_view Name;  // "--owner"
  bool TakesValue;
};

struct TParsedOptions {
  bool Help = false;
  // The files and other operands, in order.
  std::vector<std::string> Operands;

  bool Has(std::string_view name) const { return values_.find(name) != values_.end(); }
  // The value given last (an option given twice keeps the later one); empty
  // when the option is absent or a flag.
  const std::string& Value(std::string_view name) const;
  // Every value given, in order.
  const std::vector<std::string>& All(std::string_view name) const;

 private:
  friend bool ParseOptions(int, char**, std::span<const TOptionSpec>, TParsedOptions&, std::string&);
  std::map<std::string, std::vector<std::string>, std::less<>> values_;
};

// Reads argv (the command's arguments, without the command name) by specs.
// False, with error set, for an unknown option, a missing value or a value
// given to a flag.
bool ParseOptions(int argc, char** argv, std::span<const TOptionSpec> specs, TParsedOptions& parsed,
                  std::string& error);

// ParseOptions for a command that ends on a wrong command line and on
// --help: the first prints "sarvane-cli COMMAND: " with the error and the
// usage on standard error and gives exit status 1, the second prints the
// usage on standard output and gives 0. Nothing when the command goes on.
std::optional<int> ReadCommandLine(std::string_view command, std::string_view usage, int argc, char** argv,
                                   std::span<const TOptionSpec> specs, TParsedOptions& parsed);

}  // namespace sarvane::cli
