// Parses the start-up command line: files to open, a trajectory, reading options, colour and depth.
#include "io/CommandLine.h"

#include "core/VornError.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <vector>

namespace vorn {

const char kCommandLineHelpTitle[] = "Command Line Options";

const char kCommandLineHelpText[] =
    "[filename]\t\tOpen coordinate file (type based on file extension)\r\n"
    "-pdb [filename]\tRead PDB coordinate file\r\n"
    "-dcd [filename]\tRead DCD trajectory file\r\n"
    "-align\t\tAlign all trajectory structures by rotation and translation\r\n"
    "-cm\t\tRemove the center of mass from all trajectory structures\r\n"
    "-no_connect\tDon't compute covalent bonds from atomic coordinates\r\n"
    "-multi\t\tInterpret multiple structures in a pdb file as a trajectory\r\n"
    "-bpp [number]\tOverride the default color depth\r\n"
    "-zbuf [number]\tOverride the default Z buffer size\r\n"
    "-?\t\tShow the list of allowed command line options\r\n"
    "-help\t\tShow the list of allowed command line options";

namespace {

const char kSource[] = "CommandLine";
const char kNoFileName[] = "A filename was not found on the command line";
const char kNoBpp[] = "A bpp value was not found on the command line";
const char kNoZbuf[] = "A zbuf value was not found on the command line";

// Decimal value of a leading integer (" 24", "32bit"), 0 when there is none. A value past the
// range of int saturates instead of wrapping round.
int LeadingNumber(const char* text) {
    long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// The directory a pattern prefix such as "dir\" or "/data/" names, with a separator at its end:
// backslashes are taken as separators too, so patterns written either way find the same files,
// and the names found are given with forward slashes, which is how Linux opens them.
std::string DirectoryOf(const std::string& prefix) {
    std::string dir = prefix;
    std::replace(dir.begin(), dir.end(), '\\', '/');
    return dir;
}

// Whether name matches pattern, where "*" stands for any run of characters and every other
// character (also "?", "[" and "]") for itself.
bool MatchesStars(const char* pattern, const char* name) {
    const char* star = nullptr; // the last "*" seen, and where its run would end
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == *name) {
            ++pattern, ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// Names in dir matching namePattern, sorted.
std::vector<std::string> MatchingEntries(const std::string& dir, const std::string& namePattern) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, DirCloser> handle(opendir(dir.empty() ? "." : dir.c_str()));
    if (!handle)
        return names;
    while (const dirent* entry = readdir(handle.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && MatchesStars(namePattern.c_str(), name.c_str()))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

void ExpandWildcard(const std::string& pattern, IndexedList<std::string>& out) {
    const std::size_t star = pattern.find('*');
    const std::size_t separator = pattern.find_last_of("/\\", star);
    const std::string prefix =
        separator == std::string::npos ? std::string() : pattern.substr(0, separator + 1);
    const std::string dir = DirectoryOf(prefix);
    const std::vector<std::string> names = MatchingEntries(dir, pattern.substr(prefix.size()));
    if (names.empty())
        VORN_RAISE(kSource, "The wildcard failed to match a file name");
    for (const std::string& name : names)
        out.Append(dir + name);
}

void CCommandLineOptions::BeginParse() {
    m_pdbPending = m_dcdPending = m_bppPending = m_zbufPending = false;
}

void CCommandLineOptions::ParseParam(const char* text, bool isOption, bool isLast) {
    if (!text)
        text = "";
    if (isOption)
        ParseOption(text, isLast);
    else
        ParseValue(text);
}

// Sets the fields of a known option; unknown names (including other capitalisations) are ignored.
void CCommandLineOptions::ParseOption(const std::string& name, bool isLast) {
    if (m_pdbPending || m_dcdPending) {
        pdbGiven = dcdGiven = false;
        m_pdbPending = m_dcdPending = false;
        VORN_RAISE(kSource, kNoFileName);
    }
    // Options that take a value wait for the next plain parameter; as the last one they have none.
    auto expectValue = [isLast](bool& pending, const char* message) {
        if (isLast)
            VORN_RAISE(kSource, message);
        pending = true;
    };
    if (name == "pdb") {
        pdbGiven = true;
        expectValue(m_pdbPending, kNoFileName);
    } else if (name == "dcd") {
        dcdGiven = true;
        expectValue(m_dcdPending, kNoFileName);
    } else if (name == "bpp") {
        bppGiven = true;
        expectValue(m_bppPending, kNoBpp);
    } else if (name == "zbuf") {
        zbufGiven = true;
        expectValue(m_zbufPending, kNoZbuf);
    } else if (name == "align") {
        align = true;
    } else if (name == "cm") {
        zeroCom = true;
    } else if (name == "no_connect") {
        connect = false;
    } else if (name == "multi") {
        multi = true;
    } else if (name == "?" || name == "help") {
        help = true;
    }
    // "-bpp -align" never receives its value: report it rather than request a depth of 0 bits.
    if (isLast && m_bppPending)
        VORN_RAISE(kSource, kNoBpp);
    if (isLast && m_zbufPending)
        VORN_RAISE(kSource, kNoZbuf);
}

// A plain parameter satisfies every pending switch in turn, or else names a file to open.
void CCommandLineOptions::ParseValue(const char* text) {
    if (!m_pdbPending && !m_dcdPending && !m_bppPending && !m_zbufPending) {
        fileGiven = true;
        AddFileName(text);
        return;
    }
    if (m_pdbPending) {
        AddFileName(text);
        m_pdbPending = false;
    }
    if (m_dcdPending) {
        dcdFile = text;
        m_dcdPending = false;
    }
    if (m_bppPending) {
        bppValue = LeadingNumber(text);
        m_bppPending = false;
    }
    if (m_zbufPending) {
        zbufValue = LeadingNumber(text);
        m_zbufPending = false;
    }
}

void CCommandLineOptions::AddFileName(const char* text) {
    const std::string name = text;
    if (name.find('*') != std::string::npos)
        ExpandWildcard(name, files);
    else
        files.Append(name);
}

// Only "-" marks an option here. Windows-style command lines also take "/" as an option marker,
// but on Linux that is how every absolute path begins, and taking /home/me/x.pdb for an unknown
// option would drop the file without a word.
void ParseCommandLine(int argc, char** argv, CCommandLineOptions& options) {
    options.BeginParse();
    for (int i = 1; i < argc; ++i) {
        const char* param = argv[i] ? argv[i] : "";
        const bool isOption = param[0] == '-';
        options.ParseParam(isOption ? param + 1 : param, isOption, i == argc - 1);
    }
}

} // namespace vorn
