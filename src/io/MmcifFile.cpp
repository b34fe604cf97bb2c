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
// The grammar: gemmi's rules for CIF, with a quicker way through the bulk of a loop. Runs of
// plain values and blanks are matched in the text at hand (at least a window of it where the
// file goes on) and handed to the tables straight away, without the rule machinery per value;
// anything else (quotes, text fields, reserved words, tags, stray bytes, a value that runs to the
// end of the text at hand) goes to gemmi's rules, which decide as they always do. The block and
// loop rules restate gemmi's with these in place of its value and blank rules.

constexpr std::size_t kFastWindow = 4096;

// Where the parser stood when an action raised, or where it was reading when it ran past the end
// of its text window: unwinding the rules moves the input back to where they began, so the
// position is taken on the way out (the innermost first). It also carries the window of the fast
// path through loops (0: gemmi's rules alone).
struct ParseState {
    std::size_t line = 0;
    bool noted = false;
    std::size_t window = kFastWindow;
    void Note(std::size_t at) {
        if (!noted)
            line = at;
        noted = true;
    }
};

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

// Whether a value may start with c and be read here: an unquoted value that is no tag, no text
// field and no comment. '$' (a frame code) is left to gemmi's rules too.
bool MayStartPlainValue(char c) {
    return IsPrintable(c) && c != '\'' && c != '"' && c != ';' && c != '_' && c != '$' && c != '#';
}

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
                else if (!cif::IsBlank(p[n]))
                    break;
            }
            matched = matched || n > 0;
            in.bump(n);
            if (n < available || available < kFastWindow)
                return matched;
        }
    }
};

// A run of loop values: unquoted values of printable characters, each ended by blanks (and
// comments), handed to the tables as they are met. The run stops before the first value it is
// not sure of, and fails when that is the first; the blanks after the last value it takes are
// taken whole, so the next rule starts at a value (or whatever ends the loop). Once it has taken
// a value it cannot fail, so it drops the text behind it as it goes, as the loop does after
// every value.
struct plain_run {
    using rule_t = plain_run;
    using subs_t = pegtl::type_list<>;

    template <pegtl::apply_mode A, pegtl::rewind_mode M, template <typename...> class Action,
              template <typename...> class Control, typename Input>
    static bool match(Input& in, MmcifTables& tables, ParseState& state) {
        const std::size_t window = state.window;
        if (A != pegtl::apply_mode::action || window == 0)
            return false;
        try {
            return Run(in, tables, window);
        } catch (...) {
            state.Note(in.line());
            throw;
        }
    }

private:
    // The input follows the run to every line end (so that in.line() is the line of the value
    // being read, and a ';' after it opens a text field) and to where the run stops. Before each
    // value the run makes sure of a window of text ahead, unless the file ends sooner.
    template <typename Input>
    static bool Run(Input& in, MmcifTables& tables, std::size_t window) {
        bool taken = false;
        const char* q = in.current();
        const char* end = q + in.size(window);
        const auto moveTo = [&in](const char* to) {
            in.bump_in_this_line(static_cast<std::size_t>(to - in.current()));
        };
        // More text behind end; false at the end of the text.
        const auto refill = [&](bool discard) {
            moveTo(q);
            if (discard)
                in.discard();
            q = in.current();
            end = q + in.size(window);
            return q != end;
        };
        for (;;) {
            if (static_cast<std::size_t>(end - q) < window)
                refill(taken);
            if (q == end || !MayStartPlainValue(*q) ||
                StartsReservedWord(q, static_cast<std::size_t>(end - q)))
                break;
            const char* v = q;
            while (++q != end && IsPrintable(*q)) {
            }
            if (q == end || !cif::IsBlank(*q)) {
                q = v; // longer than the text at hand, or a stray byte after it: gemmi's rules
                break;
            }
            moveTo(v);
            tables.LoopValue(v, static_cast<std::size_t>(q - v), in.line());
            taken = true;
            // The blanks after it, through as many windows as they fill.
            bool inComment = false;
            for (;;) {
                if (q == end && !refill(true))
                    return true; // the end of the text
                if (inComment) {
                    const void* eol = std::memchr(q, '\n', static_cast<std::size_t>(end - q));
                    if (!eol) {
                        q = end;
                        continue;
                    }
                    q = static_cast<const char*>(eol) + 1;
                    in.bump_to_next_line(static_cast<std::size_t>(q - in.current()));
                    inComment = false;
                } else if (*q == '\n') {
                    ++q;
                    in.bump_to_next_line(static_cast<std::size_t>(q - in.current()));
                } else if (*q == ' ' || *q == '\t' || *q == '\r') {
                    ++q;
                } else if (*q == '#') {
                    ++q;
                    inComment = true;
                } else {
                    break;
                }
            }
        }
        moveTo(q);
        return taken;
    }
};

struct blanks_or_end : pegtl::sor<blanks, pegtl::eof> {};
struct loop_value_and_blanks : pegtl::seq<rules::loop_value, blanks_or_end, pegtl::discard> {};
struct loop
    : pegtl::if_must<rules::str_loop, rules::whitespace,
                     pegtl::plus<pegtl::seq<rules::loop_tag, rules::whitespace, pegtl::discard>>,
                     pegtl::sor<pegtl::plus<pegtl::sor<plain_run, loop_value_and_blanks>>,
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
    std::is_same_v<Rule, plain_run> || std::is_same_v<Rule, loop_value_and_blanks> ||
    std::is_same_v<Rule, pegtl::sor<plain_run, loop_value_and_blanks>> ||
    std::is_same_v<Rule, rules::loop_value> || std::is_same_v<Rule, blanks_or_end> ||
    std::is_same_v<Rule, blanks> || std::is_same_v<Rule, pegtl::eof> ||
    std::is_same_v<Rule, pegtl::discard>;

// gemmi's error messages, its message for a file that opens no data block, and one for text
// that is neither an item, a loop nor a block.
template <typename Rule>
struct CifErrors : pegtl::normal<Rule> {
    template <template <typename...> class Action, typename Iterator, typename Input,
              typename State>
    static auto apply(const Iterator& begin, const Input& in, State& r, ParseState& trace)
        -> decltype(pegtl::normal<Rule>::template apply<Action>(begin, in, r, trace)) {
        try {
            return pegtl::normal<Rule>::template apply<Action>(begin, in, r, trace);
        } catch (...) {
            trace.Note(in.line());
            throw;
        }
    }
    template <template <typename...> class Action, typename Input, typename State>
    static auto apply0(const Input& in, State& r, ParseState& trace)
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
                                                        ParseState& trace) {
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
    static void apply0(MmcifTables& r, ParseState&) { r.StartBlock(); }
};
template <>
struct CifAction<rules::framename> {
    static void apply0(MmcifTables& r, ParseState&) { r.StartFrame(); }
};
template <>
struct CifAction<rules::endframe> {
    static void apply0(MmcifTables& r, ParseState&) { r.EndFrame(); }
};
template <>
struct CifAction<rules::str_loop> {
    static void apply0(MmcifTables& r, ParseState&) { r.StartLoop(); }
};
struct EndLoopAction {
    static void apply0(MmcifTables& r, ParseState&) { r.EndLoop(); }
};
template <>
struct CifAction<rules::loop> : EndLoopAction {};
template <>
struct CifAction<loop> : EndLoopAction {};
template <>
struct CifAction<rules::missing_value> {
    static void apply0(MmcifTables& r, ParseState&) { r.MissingValue(); }
};
template <>
struct CifAction<rules::loop_tag> {
    template <typename Input>
    static void apply(const Input& in, MmcifTables& r, ParseState&) {
        r.LoopTag(in.begin(), in.size(), in.iterator().line);
    }
};
template <>
struct CifAction<rules::loop_value> {
    template <typename Input>
    static void apply(const Input& in, MmcifTables& r, ParseState&) {
        r.LoopValue(in.begin(), in.size(), in.iterator().line);
    }
};
template <>
struct CifAction<rules::item_tag> {
    template <typename Input>
    static void apply(const Input& in, MmcifTables& r, ParseState&) {
        r.ItemTag(in.begin(), in.size(), in.iterator().line);
    }
};
template <>
struct CifAction<rules::item_value> {
    template <typename Input>
    static void apply(const Input& in, MmcifTables& r, ParseState&) {
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
    ReadMmcifFile(fileName, pdb, kFastWindow);
}

void ReadMmcifFile(const std::string& fileName, PdbFile& pdb, std::size_t loopWindow) {
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
    ParseState state;
    state.window = loopWindow;
    try {
        pegtl::parse<file, CifAction, CifErrors>(in, tables, state);
    } catch (const pegtl::parse_error& e) {
        const std::size_t line =
            LineOf(e.positions().empty() ? in.position() : e.positions().front(), textBytes);
        CheckStream(gz, line);
        Fail(line, std::string(e.message()));
    } catch (const std::overflow_error&) {
        // The input is back where the rules began by now; the state knows where it was.
        CheckStream(gz, state.line);
        Fail(state.line, "a value or blank stretch longer than 4 MiB");
    } catch (const VornError&) {
        CheckStream(gz, state.line);
        throw;
    }
    const std::size_t lastLine = LineOf(in.position(), textBytes);
    CheckStream(gz, lastLine);
    tables.Finish(lastLine);
}

} // namespace vorn
