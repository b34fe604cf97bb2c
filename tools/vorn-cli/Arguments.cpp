// Splits vorn-cli's command line into the tool's flags and the viewer's reading options.
#include "Arguments.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace vorn {

namespace {

const std::set<std::string> kValueFlags = {
    "-o",      "--select",  "--precision",  "--start",   "--stop",
    "--by",    "--quality", "--probe",      "--size",    "--mode",
    "--frame", "--codec",   "--fps",        "--surface", "--surface-quality",
    "--clip",  "--color",   "--background", "--fov",     "--turn"};
const std::set<std::string> kPlainFlags = {"--mass",         "--align",   "--no-conect",
                                           "--no-normalize", "--solvent", "--labels",
                                           "--axes",         "--hbonds",  "--polygons"};

bool IsToolFlag(const std::string& arg) {
    return arg == "-o" || arg.compare(0, 2, "--") == 0;
}

} // namespace

std::string Arguments::Value(const std::string& flag, const std::string& fallback) const {
    const auto it = values.find(flag);
    return it == values.end() ? fallback : it->second;
}

int Arguments::IntValue(const std::string& flag, int fallback) const {
    const auto it = values.find(flag);
    if (it == values.end())
        return fallback;
    const char* text = it->second.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        throw UsageError(flag + " takes a whole number, not '" + it->second + "'");
    return static_cast<int>(value);
}

double Arguments::NumberValue(const std::string& flag, double fallback) const {
    const auto it = values.find(flag);
    if (it == values.end())
        return fallback;
    const char* text = it->second.c_str();
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (*text == '\0' || *end != '\0' || !std::isfinite(value))
        throw UsageError(flag + " takes a number, not '" + it->second + "'");
    return value;
}

Arguments ParseArguments(int argc, char** argv) {
    Arguments args;
    args.command = argv[1];
    std::vector<char*> rest = {argv[1]};
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!IsToolFlag(arg)) {
            rest.push_back(argv[i]);
        } else if (kPlainFlags.count(arg)) {
            args.flags.insert(arg);
        } else if (kValueFlags.count(arg)) {
            if (i + 1 >= argc)
                throw UsageError(arg + " needs a value");
            args.values[arg] = argv[++i];
        } else {
            throw UsageError("unknown option '" + arg + "'");
        }
    }
    ParseCommandLine(static_cast<int>(rest.size()), rest.data(), args.reading);
    return args;
}

} // namespace vorn
