// Fuzzes the command-line parser: one parameter per input line, wildcards inside a scratch tree.
#include "FuzzScratch.h"
#include "core/VornError.h"
#include "io/CommandLine.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vorn;

namespace {

// The parser expands wildcards against the current directory: it becomes a scratch tree with a
// few files for the patterns to find.
void EnterScratchTree() {
    namespace fs = std::filesystem;
    const fs::path root = fuzz::ScratchDir();
    fs::create_directories(root / "sub" / "deeper");
    for (const char* name : {"a.pdb", "b.pdb", "t.dcd", "sub/c.pdb", "sub/deeper/d.pdb.gz"})
        std::ofstream(root / name) << "ATOM 1 C ALA A 1 0 0 0\n";
    if (::chdir(root.c_str()) != 0)
        std::abort();
}

// A wildcard that could list directories outside the scratch tree is left out: an absolute
// pattern or one climbing with "..", either separator counting.
bool StaysInside(std::string param) {
    param = param.c_str(); // the parser sees the text up to a NUL
    if (param.find('*') == std::string::npos)
        return true;
    std::replace(param.begin(), param.end(), '\\', '/');
    return param[0] != '/' && param.find("..") == std::string::npos;
}

std::vector<std::string> SplitLines(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> params;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            params.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    if (!current.empty())
        params.push_back(current);
    return params;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnterScratchTree();
    return 0;
}

// Each parameter is handed over as the start-up code does: a leading "-" marks an option, whose
// name follows it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> params = SplitLines(data, size);
    params.erase(std::remove_if(params.begin(), params.end(),
                                [](const std::string& p) { return !StaysInside(p); }),
                 params.end());
    CCommandLineOptions options;
    options.BeginParse();
    try {
        for (std::size_t i = 0; i < params.size(); ++i) {
            const char* text = params[i].c_str();
            const bool isOption = text[0] == '-';
            options.ParseParam(isOption ? text + 1 : text, isOption, i + 1 == params.size());
        }
    } catch (const VornError&) {
    }
    return 0;
}
