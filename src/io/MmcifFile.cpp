// Reads PDBx/mmCIF coordinate files into the PDB reader's record set, so that everything after the
// reader (bonds, structure, colours, trajectories) takes them unchanged.
//
// gemmi's CIF grammar parses the text in one streaming pass and hands each tag and value over as
// it meets them (MmcifTables makes the records of them): memory holds the records and a window
// of text that moves on after every value, never the whole file.
#include "io/MmcifFile.h"

#include "core/HugePages.h"
#include "core/VornError.h"
#include "io/CifText.h"
#include "io/GzLineReader.h"
#include "io/MmcifTables.h"
#include "io/PdbFile.h"

#include <algorithm>
#include <cstring>
#include <gemmi/cif.hpp>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace vorn {

namespace {

namespace pegtl = tao::pegtl;
namespace rules = gemmi::cif::rules;

constexpr char kSource[] = "mmCIF";
constexpr std::size_t kChunkBytes = 64 * 1024;
// The text window must hold the longest single value (a text field) or run of blank lines; real
// files stay far below this.
constexpr std::size_t kLongestValue = 4u << 20;
constexpr std::size_t kBytesPerAtomRow = 80; // a little under the archive's rows, to reserve
constexpr std::size_t kMaxReserve = 1u << 22;

[[noreturn]] void Fail(std::size_t line, const std::string& what) {
    VORN_RAISE(kSource, "Error parsing file! Line " + std::to_string(line) + ": " + what);
}

// ---------------------------------------------------------------------------------------------
// The grammar: gemmi's rules for CIF, with a quicker way through the bulk of an atom_site table.
// Plain values and blanks are matched a window of text at a time; anything else (quotes, text
// fields, comments, reserved words, stray bytes, a value longer than the window) goes to gemmi's
// rules, which decide as they always do. The block and loop rules restate gemmi's with these two
// in place of its value and blank rules.

constexpr std::size_t kFastWindow = 256;

bool IsCifBlank(char c) {
    return gemmi::cif::char_table(c) == 2;
}

bool IsPrintable(char c) {
    return c >= '!' && c <= '~';
}

// A value that begins like a reserved word is not a value.
bool StartsReservedWord(const char* p, std::size_t n) {
    const char first = cif::Lower(p[0]);
    if (first != 'd' && first != 'l' && first != 's' && first != 'g')
        return false;
    for (const char* word : {"data_", "loop_", "save_", "stop_", "global_"}) {
        const std::size_t length = std::strlen(word);
        if (n >= length && cif::SameWord(p, length, word))
            return true;
    }
    return false;
}

// An unquoted value of printable characters ended by a blank (or the end of the text).
struct plain_value {
    using rule_t = plain_value;
    using subs_t = pegtl::type_list<>;

    template <typename Input>
    static bool match(Input& in) {
        const std::size_t available = in.size(kFastWindow);
        const char* p = in.current();
        if (available == 0)
            return false;
        const char c = p[0];
        if (!IsPrintable(c) || c == '\'' || c == '"' || c == ';' || c == '_' || c == '$' ||
            c == '#' || StartsReservedWord(p, available))
            return false;
        std::size_t n = 1;
        while (n < available && IsPrintable(p[n]))
            ++n;
        if (n == available ? available == kFastWindow : !IsCifBlank(p[n]))
            return false; // too long for the window, or a stray byte: gemmi's rules judge
        in.bump_in_this_line(n);
        return true;
    }
};

// Spaces, tabs, line ends and comments ("#" to the end of its line).
struct blanks {
    using rule_t = blanks;
    using subs_t = pegtl::type_list<>;

    template <typename Input>
    static bool match(Input& in) {
        bool matched = false;
        bool inComment = false;
        for (;;) {
            const std::size_t available = in.size(kFastWindow);
            const char* p = in.current();
            std::size_t n = 0;
            for (; n < available; ++n) {
                if (inComment)
                    inComment = p[n] != '\n';
                else if (p[n] == '#')
                    inComment = true;
                else if (!IsCifBlank(p[n]))
                    break;
            }
            matched = matched || n > 0;
            in.bump(n);
            if (n < available || available < kFastWindow)
                return matched;
        }
    }
};

struct blanks_or_end : pegtl::sor<blanks, pegtl::eof> {};
struct loop_value : pegtl::sor<plain_value, rules::value> {};
struct loop
    : pegtl::if_must<rules::str_loop, rules::whitespace,
                     pegtl::plus<pegtl::seq<rules::loop_tag, rules::whitespace, pegtl::discard>>,
                     pegtl::sor<pegtl::plus<pegtl::seq<loop_value, blanks_or_end, pegtl::discard>>,
                                pegtl::at<pegtl::sor<rules::keyword, pegtl::eof>>>,
                     rules::loop_end> {};
struct datablock : pegtl::seq<rules::datablockheading, rules::ws_or_eof,
                              pegtl::star<pegtl::sor<rules::dataitem, loop, rules::frame>>> {};
struct content : pegtl::plus<datablock> {};
struct file : pegtl::seq<pegtl::opt<rules::whitespace>,
                         pegtl::if_must<pegtl::not_at<pegtl::eof>, content, pegtl::eof>> {};

// The rules met at every value of a loop.
template <typename Rule>
constexpr bool IsLoopValueRule =
    std::is_same_v<Rule, pegtl::seq<loop_value, blanks_or_end, pegtl::discard>> ||
    std::is_same_v<Rule, loop_value> || std::is_same_v<Rule, plain_value> ||
    std::is_same_v<Rule, blanks_or_end> || std::is_same_v<Rule, blanks> ||
    std::is_same_v<Rule, pegtl::eof> || std::is_same_v<Rule, pegtl::discard>;

// Where the parser stood when an action raised, or where it was reading when it ran past the end
// of its text window: unwinding the rules moves the input back to where they began, so the
// position is taken on the way out (the innermost first).
struct ParseTrace {
    std::size_t line = 0;
    bool noted = false;
    void Note(std::size_t at) {
        if (!noted)
            line = at;
        noted = true;
    }
};

// gemmi's error messages, its message for a file that opens no data block, and one for text
// that is neither an item, a loop nor a block.
template <typename Rule>
struct CifErrors : pegtl::normal<Rule> {
    template <template <typename...> class Action, typename Iterator, typename Input,
              typename State>
    static auto apply(const Iterator& begin, const Input& in, State& r, ParseTrace& trace)
        -> decltype(pegtl::normal<Rule>::template apply<Action>(begin, in, r, trace)) {
        try {
            return pegtl::normal<Rule>::template apply<Action>(begin, in, r, trace);
        } catch (...) {
            trace.Note(in.line());
            throw;
        }
    }
    template <template <typename...> class Action, typename Input, typename State>
    static auto apply0(const Input& in, State& r, ParseTrace& trace)
        -> decltype(pegtl::normal<Rule>::template apply0<Action>(in, r, trace)) {
        try {
            return pegtl::normal<Rule>::template apply0<Action>(in, r, trace);
        } catch (...) {
            trace.Note(in.line());
            throw;
        }
    }
    // Not on the rules met at every value of a loop, which would pay for it at every value: what
    // runs past the window there is noted by the loop, at the start of the value.
    template <typename Input, typename State, typename R = Rule>
    static std::enable_if_t<!IsLoopValueRule<R>> unwind(const Input& in, State&,
                                                        ParseTrace& trace) {
        trace.Note(in.line());
    }

    template <typename Input, typename... States>
    [[noreturn]] static void raise(const Input& in, States&&...) {
        if constexpr (std::is_same_v<Rule, content>)
            throw pegtl::parse_error(gemmi::cif::error_message<rules::content>(), in);
        else if constexpr (std::is_same_v<Rule, pegtl::eof>)
            throw pegtl::parse_error("expected a tag, loop_ or a data block", in);
        else
            throw pegtl::parse_error(gemmi::cif::error_message<Rule>(), in);
    }
};

// ---------------------------------------------------------------------------------------------
// The parser's actions. Loops and data items discard the text they have read as they go, so the
// actions that span them take no text (apply0).

template <typename Rule>
struct CifAction : pegtl::nothing<Rule> {};

template <>
struct CifAction<rules::datablockheading> {
    static void apply0(MmcifTables& r, ParseTrace&) { r.StartBlock(); }
};
template <>
struct CifAction<rules::framename> {
    static void apply0(MmcifTables& r, ParseTrace&) { r.StartFrame(); }
};
template <>
struct CifAction<rules::endframe> {
    static void apply0(MmcifTables& r, ParseTrace&) { r.EndFrame(); }
};
template <>
struct CifAction<rules::str_loop> {
    static void apply0(MmcifTables& r, ParseTrace&) { r.StartLoop(); }
};
struct EndLoopAction {
    static void apply0(MmcifTables& r, ParseTrace&) { r.EndLoop(); }
};
template <>
struct CifAction<rules::loop> : EndLoopAction {};
template <>
struct CifAction<loop> : EndLoopAction {};
template <>
struct CifAction<rules::missing_value> {
    static void apply0(MmcifTables& r, ParseTrace&) { r.MissingValue(); }
};
template <>
struct CifAction<rules::loop_tag> {
    template <typename Input>
    static void apply(const Input& in, MmcifTables& r, ParseTrace&) {
        r.LoopTag(in.begin(), in.size(), in.iterator().line);
    }
};
struct LoopValueAction {
    template <typename Input>
    static void apply(const Input& in, MmcifTables& r, ParseTrace&) {
        r.LoopValue(in.begin(), in.size(), in.iterator().line);
    }
};
template <>
struct CifAction<rules::loop_value> : LoopValueAction {};
template <>
struct CifAction<loop_value> : LoopValueAction {};
template <>
struct CifAction<rules::item_tag> {
    template <typename Input>
    static void apply(const Input& in, MmcifTables& r, ParseTrace&) {
        r.ItemTag(in.begin(), in.size(), in.iterator().line);
    }
};
template <>
struct CifAction<rules::item_value> {
    template <typename Input>
    static void apply(const Input& in, MmcifTables& r, ParseTrace&) {
        r.ItemValue(in.begin(), in.size(), in.iterator().line);
    }
};

// The parser's source of text: the file through zlib, plain or compressed, within its unpack
// limit.
struct GzSource {
    GzLineReader* gz;
    std::size_t* bytes; // handed over so far
    std::size_t operator()(char* buffer, std::size_t length) const {
        const std::size_t read = gz->ReadBytes(buffer, length);
        *bytes += read;
        return read;
    }
};

// The line of a position; the end of a text that ends with a line end is on its last line, not
// on the empty one after it.
std::size_t LineOf(const pegtl::position& p, std::size_t textBytes) {
    return p.column == 1 && p.line > 1 && p.byte == textBytes ? p.line - 1 : p.line;
}

using CifInput = pegtl::buffer_input<GzSource, pegtl::eol::lf_crlf, std::string, kChunkBytes>;

// A damaged or overlong stream explains whatever the parser made of its end.
void CheckStream(const GzLineReader& gz, std::size_t line) {
    if (gz.Oversized())
        Fail(line, "the file unpacks to far more data than a structure needs");
    if (gz.Failed())
        Fail(line, "the compressed data are damaged");
}

} // namespace

bool IsMmcifFile(const std::string& fileName) {
    constexpr int kLinesLooked = 1000;
    GzLineReader reader;
    if (!reader.Open(fileName))
        return false;
    for (int i = 0; i < kLinesLooked; ++i) {
        const char* line = reader.Next();
        if (!line)
            return false;
        while (cif::IsBlank(*line))
            ++line;
        if (*line == '\0' || *line == '#')
            continue;
        return cif::SameWord(line, std::min<std::size_t>(std::strlen(line), 5), "data_");
    }
    return false;
}

void ReadMmcifFile(const std::string& fileName, PdbFile& pdb) {
    pdb = PdbFile();
    GzLineReader gz;
    if (!gz.Open(fileName))
        VORN_RAISE(kSource, "Can't open file!");
    ReserveLarge(pdb.records, std::min<std::size_t>(static_cast<std::size_t>(gz.EstimatedBytes()) /
                                                        kBytesPerAtomRow,
                                                    kMaxReserve));
    MmcifTables tables(pdb, pdb.records.capacity());
    std::size_t textBytes = 0;
    CifInput in(fileName, kLongestValue, GzSource{&gz, &textBytes});
    ParseTrace trace;
    try {
        pegtl::parse<file, CifAction, CifErrors>(in, tables, trace);
    } catch (const pegtl::parse_error& e) {
        const std::size_t line =
            LineOf(e.positions().empty() ? in.position() : e.positions().front(), textBytes);
        CheckStream(gz, line);
        Fail(line, std::string(e.message()));
    } catch (const std::overflow_error&) {
        // The input is back where the rules began by now; the trace knows where it was.
        CheckStream(gz, trace.line);
        Fail(trace.line, "a value or blank stretch longer than 4 MiB");
    } catch (const VornError&) {
        CheckStream(gz, trace.line);
        throw;
    }
    const std::size_t lastLine = LineOf(in.position(), textBytes);
    CheckStream(gz, lastLine);
    tables.Finish(lastLine);
}

} // namespace vorn
