// Parses the start-up command line: files to open, a trajectory, reading options, colour and depth.
#pragma once

#include "core/IndexedList.h"

#include <string>

namespace vorn {

// The help window's title and text (CR LF line ends, tabs between the columns).
extern const char kCommandLineHelpTitle[];
extern const char kCommandLineHelpText[];

// The options record filled by the parameter handler, one parameter at a time. The value-pending
// switches belong to the object, so every parse starts clean (BeginParse resets them).
class CCommandLineOptions {
public:
    bool pdbGiven = false;
    bool dcdGiven = false;
    bool fileGiven = false; // a plain parameter that is not the value of an option
    bool align = false;
    bool zeroCom = false;
    bool connect = true; // cleared by -no_connect
    bool multi = false;
    bool help = false;
    bool bppGiven = false;
    bool zbufGiven = false;
    int bppValue = 0;               // colour depth, bits
    int zbufValue = 0;              // depth-buffer size, bits
    IndexedList<std::string> files; // in the order given, wildcards expanded
    std::string dcdFile;

    // Handles one parameter. text is an option's name without its leading "-" when isOption;
    // isLast marks the final parameter of the command line. Raises VornError (source
    // "CommandLine") when a file name or value is missing or a wildcard matches nothing.
    void ParseParam(const char* text, bool isOption, bool isLast);

    // Forgets any value still pending from an earlier parse.
    void BeginParse();

private:
    void ParseOption(const std::string& name, bool isLast);
    void ParseValue(const char* text);
    void AddFileName(const char* text);

    bool m_pdbPending = false;
    bool m_dcdPending = false;
    bool m_bppPending = false;
    bool m_zbufPending = false;
};

// Expands a name containing "*" into the matching directory entries, sorted, each prefixed with
// the pattern's text up to the last "/" or "\" before the first "*" (a backslash given as "/").
// Only "*" is special; "?", "[" and "]" match themselves. Raises "The wildcard failed to match a
// file name" when nothing matches.
void ExpandWildcard(const std::string& pattern, IndexedList<std::string>& out);

// Hands argv[1..] to options.ParseParam. Only a leading "-" marks an option: on Linux a leading
// "/" starts an absolute path (/home/me/x.pdb), so it is a file name, never an option.
void ParseCommandLine(int argc, char** argv, CCommandLineOptions& options);

} // namespace vorn
