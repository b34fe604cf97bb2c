// vorn-cli: the Vorn engine for scripts. Reads structures as the viewer does and prints reports.
#include "Report.h"
#include "core/VornError.h"
#include "io/CommandLine.h"
#include "model/UiHost.h"
#include "model/VornDoc.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "usage: vorn-cli COMMAND [options] FILE...\n"
    "commands:\n"
    "  info FILE...      summary of each molecule (atoms, chains, residues, bonds, structure)\n"
    "  residues FILE     residue table: residue, chain, model, secondary structure\n"
    "  bonds FILE        one bond a line: the serial numbers of the two atoms\n"
    "reading options:\n"
    "  -no_connect       take bonds from the file's CONECT records only\n"
    "  -multi            read the models of a multi-model file as trajectory frames\n";

// Warnings that the viewer shows in a message box are printed to stderr.
class ConsoleHost : public UiHost {
public:
    void ShowMessage(const std::string& text) override {
        std::fprintf(stderr, "vorn-cli: %s\n", text.c_str());
    }
};

struct Invocation {
    std::string command;
    CCommandLineOptions options;
};

// The command comes first; the rest is parsed as the viewer parses its command line.
Invocation ParseArguments(int argc, char** argv) {
    Invocation inv;
    inv.command = argv[1];
    ParseCommandLine(argc - 1, argv + 1, inv.options);
    return inv;
}

int Run(const Invocation& inv) {
    const bool info = inv.command == "info";
    if (!info && inv.command != "residues" && inv.command != "bonds") {
        std::fprintf(stderr, "vorn-cli: unknown command '%s'\n%s", inv.command.c_str(), kUsage);
        return 2;
    }
    if (inv.options.files.Empty() || (!info && inv.options.files.Count() != 1)) {
        std::fprintf(stderr, "vorn-cli: %s takes %s\n%s", inv.command.c_str(),
                     info ? "one or more files" : "exactly one file", kUsage);
        return 2;
    }
    ConsoleHost host;
    CVornDoc doc(&host);
    doc.connectOnRead = inv.options.connect;
    doc.multiModelTraj = inv.options.multi;
    // Read everything before printing anything, so that a failure leaves no half report.
    for (const std::string& file : inv.options.files) {
        try {
            if (!doc.ReadCoordinateFile(file)) {
                std::fprintf(stderr, "vorn-cli: %s: Unable to read file\n", file.c_str());
                return 1;
            }
        } catch (const VornError& e) {
            std::fprintf(stderr, "vorn-cli: %s: %s [%s:%d]\n", file.c_str(), e.what(),
                         e.Source().c_str(), e.Line());
            return 1;
        }
    }
    bool first = true;
    for (const auto& mol : doc.molecules) {
        if (inv.command == "info") {
            std::fputs(first ? "" : "\n", stdout);
            PrintInfo(stdout, *mol);
        } else if (inv.command == "residues") {
            PrintResidues(stdout, *mol);
        } else {
            PrintBonds(stdout, *mol);
        }
        first = false;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    static char buffer[1 << 16]; // reports of a million bonds
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    try {
        return Run(ParseArguments(argc, argv));
    } catch (const VornError& e) {
        std::fprintf(stderr, "vorn-cli: %s [%s:%d]\n", e.what(), e.Source().c_str(), e.Line());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorn-cli: %s\n", e.what());
    }
    return 1;
}
