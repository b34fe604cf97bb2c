// The command line of vorn-cli: a command, the viewer's reading options and files, and the
// tool's own flags.
#pragma once

#include "io/CommandLine.h"

#include <map>
#include <set>
#include <stdexcept>
#include <string>

namespace vorn {

// A command line that cannot be run; the message is printed with the usage text.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Arguments {
    std::string command;
    CCommandLineOptions reading;               // files, -no_connect, -multi, -cm, -align, -dcd
    std::map<std::string, std::string> values; // flags that take a value: "-o", "--select", ...
    std::set<std::string> flags;               // flags without a value: "--mass", ...

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::string Value(const std::string& flag, const std::string& fallback) const;
    // The flag's value as a whole number; raises UsageError when it is not one.
    int IntValue(const std::string& flag, int fallback) const;
    // The flag's value as a number; raises UsageError when it is not one.
    double NumberValue(const std::string& flag, double fallback) const;
};

// The tool's flags are taken out first (they start with "--", or are "-o"); the rest is parsed
// as the viewer parses its command line. Raises UsageError or VornError.
Arguments ParseArguments(int argc, char** argv);

} // namespace vorn
