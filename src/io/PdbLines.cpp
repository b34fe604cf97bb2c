// The lines of a PDB file parsed block by block, and the running state that joins the blocks.
//
// The reader ignores the fixed PDB columns: it splits each line into tokens separated by space,
// tab, CR or LF and repairs fields that have run together (atom name with residue name, chain
// letter with residue number, coordinates with each other, CONECT serials with each other). Each
// line is dispatched by its first token, and every line is also checked for MONITOR and BBOX_
// words, which may sit anywhere in it.
//
// A line says almost everything about its record by itself; only the serial number (decimal or
// hexadecimal), the model number and the chain renaming after TER depend on the lines before it.
// Blocks of lines are therefore parsed apart, on any thread, and those three are settled when the
// blocks are joined in file order, record by record, as one pass over the lines would settle them.
#include "io/PdbLines.h"

#include "io/GzLineReader.h"
#include "io/Tokens.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

namespace vorn {

namespace pdblines {

namespace {

using namespace tokens;

constexpr char kSource[] = "pdb";
constexpr int kLineChars = GzLineReader::kMaxLineChars;
constexpr int kMaxGluedAtomName = 6; // characters kept from a glued atom name

// ---------------------------------------------------------------------------------------------
// Glued coordinates. Writers that overflow their columns run numbers together, e.g.
// "-12.345-67.890". The split assumes every number has as many decimals as the last one.

// Where the second of two glued numbers starts, clamped to the token.
int SecondNumberStart(Token t) {
    const char* firstDot =
        static_cast<const char*>(std::memchr(t.text, '.', std::size_t(t.length)));
    if (!firstDot)
        return t.length;
    const char* lastDot = t.End() - 1;
    while (*lastDot != '.')
        --lastDot;
    const long long decimals = t.End() - lastDot - 1;
    return static_cast<int>(std::min<long long>(firstDot - t.text + decimals + 1, t.length));
}

void SplitTwo(Token t, float& a, float& b) {
    const int start = SecondNumberStart(t);
    a = ToFloat(t.text, t.text + start);
    b = ToFloat(t.text + start, t.End());
}

void SplitThree(Token t, float& a, float& b, float& c) {
    const int start = SecondNumberStart(t);
    a = ToFloat(t.text, t.text + start);
    SplitTwo({t.text + start, t.length - start}, b, c);
}

// ---------------------------------------------------------------------------------------------
// The identifier a chain continued after TER is renamed to. Letters cycle with modulus 25 and
// digits with modulus 9: Y wraps to A and 8 to 0, while Z and 9 go to B and 1.
char NextChainId(char c) {
    if (c >= 'A' && c <= 'Z')
        return static_cast<char>('A' + (c - 'A' + 1) % 25);
    if (c >= 'a' && c <= 'z')
        return static_cast<char>('a' + (c - 'a' + 1) % 25);
    if (IsDigit(c))
        return static_cast<char>('0' + (c - '0' + 1) % 9);
    return 'A'; // space, and any other character
}

// ---------------------------------------------------------------------------------------------
// Serials past 99,999 do not fit their five columns. The PDB's hybrid-36 goes on with letters
// ("A0000" is 100,000, and lower case follows "ZZZZZ"); some programs write hexadecimal instead
// ("186a0" is 100,000), where a serial such as "18700" is hexadecimal only by its place after a
// larger one.

constexpr int kWideSerialChars = 5;
constexpr int kLargestDecimalSerial = 99999;

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f');
}

// Five lower-case hexadecimal digits; letters tells whether any of them is a letter.
bool IsHexSerial(Token t, bool& letters) {
    letters = false;
    if (t.length != kWideSerialChars)
        return false;
    for (const char* c = t.text; c != t.End(); ++c) {
        if (!IsHexDigit(*c))
            return false;
        letters = letters || !IsDigit(*c);
    }
    return true;
}

int HexValue(Token t) {
    int value = 0;
    for (const char* c = t.text; c != t.End(); ++c)
        value = value * 16 + (IsDigit(*c) ? *c - '0' : *c - 'a' + 10);
    return value;
}

// Five hybrid-36 characters: a letter, then digits and letters of the same case.
bool DecodeHybrid36(Token t, int& value) {
    if (t.length != kWideSerialChars)
        return false;
    const bool upper = t.text[0] >= 'A' && t.text[0] <= 'Z';
    const char first = upper ? 'A' : 'a';
    if (!upper && !(t.text[0] >= 'a' && t.text[0] <= 'z'))
        return false;
    long long v = 0;
    for (const char* c = t.text; c != t.End(); ++c) {
        int digit = -1;
        if (IsDigit(*c))
            digit = *c - '0';
        else if (*c >= first && *c <= first + 25)
            digit = *c - first + 10;
        if (digit < 0)
            return false;
        v = v * 36 + digit;
    }
    // "A0000" is 10 * 36^4 read in base 36; lower case takes over after the 26 * 36^4 upper-case
    // serials.
    constexpr long long kPower = 36LL * 36 * 36 * 36;
    v += upper ? kLargestDecimalSerial + 1 - 10 * kPower : kLargestDecimalSerial + 1 + 16 * kPower;
    value = static_cast<int>(v);
    return true;
}

// A serial of a CONECT line: decimal, hybrid-36, or hexadecimal (always so when it has letters
// after a leading digit, and in lower case when the file's atoms were numbered so). Five-digit
// serials stay decimal: without the order of the atom lines nothing tells them apart.
bool DecodeListedSerial(Token t, bool hexFile, int& value) {
    if (IsSerialText(t)) {
        value = ToInt(t);
        return true;
    }
    bool letters = false;
    if (IsHexSerial(t, letters) && (hexFile || IsDigit(t.text[0]))) {
        value = HexValue(t);
        return true;
    }
    return DecodeHybrid36(t, value);
}

// ---------------------------------------------------------------------------------------------
// ATOM and HETATM lines, each read by itself.

// The serial as decimal or hybrid-36, and whether it could be, or is, hexadecimal.
void ReadSerial(Token t, PdbRecord& rec, AtomLineFacts& facts) {
    bool letters = false;
    if (IsHexSerial(t, letters)) {
        facts.hexValue = HexValue(t);
        if (letters && IsDigit(t.text[0])) {
            facts.serialKind = kHexSerial;
            rec.serial = facts.hexValue;
            return;
        }
        facts.serialKind = kMaybeHexSerial;
    }
    int value = 0;
    rec.serial = DecodeHybrid36(t, value) ? value : ToInt(t);
}

// Atom and residue name; leaves the chain token in current.
bool ReadNames(Tokenizer& tok, bool hetatm, PdbRecord& rec, Token& current) {
    Token name;
    if (!tok.Next(name))
        return false;
    if (name.length >= 5) {
        // Atom name run into a three-letter residue name ("HD21ASN"); the name is kept as typed.
        const int n = std::min(name.length - 3, kMaxGluedAtomName);
        std::memcpy(rec.atomName, name.text, static_cast<std::size_t>(n));
        rec.atomName[n] = '\0';
        rec.SetResName(name.End() - 3, 3);
        return tok.Next(current);
    }
    rec.SetAtomName(name.text, static_cast<std::size_t>(name.length));
    Token residue;
    if (!tok.Next(residue))
        return false;
    if (IsSerialText(residue)) {
        // No residue name: the number already stands in its place.
        rec.SetResName("UNK0");
        current = residue;
        return true;
    }
    // A one-character token before a HETATM residue name is an alternate-location mark.
    if (hetatm && residue.length == 1 && !tok.Next(residue))
        return false;
    rec.SetResName(residue.text, static_cast<std::size_t>(residue.length));
    return tok.Next(current);
}

// Chain identifier and residue-number token; returns the first coordinate token when it had to
// be read to tell the fields apart.
std::optional<Token> ReadChain(Tokenizer& tok, Token current, PdbRecord& rec,
                               std::optional<Token>& residueNumber) {
    rec.chain = ' ';
    Token next;
    if (!IsDigit(current.text[0])) {
        rec.chain = current.text[0];
        if (current.length > 1)
            residueNumber = Token{current.text + 1, current.length - 1}; // "A1"
        else if (tok.Next(next))
            residueNumber = next;
        return std::nullopt;
    }
    const bool hasNext = tok.Next(next);
    if (hasNext && std::memchr(next.text, '.', std::size_t(next.length))) {
        // No chain field: the number is the residue number and a coordinate follows. A chain
        // letter may have run into a long residue name ("TIP3W").
        residueNumber = current;
        const std::size_t nameLength = std::strlen(rec.resName);
        if (nameLength > 4) {
            rec.chain = rec.resName[nameLength - 1];
            rec.resName[nameLength - 1] = '\0';
        }
        return next;
    }
    rec.chain = current.text[0]; // a digit chain identifier
    if (hasNext)
        residueNumber = next;
    return std::nullopt;
}

// A coordinate token: a plain number with at most one dot (the common case, read without
// counting its dots) or the count of its dots.
struct CoordinateToken {
    Token token;
    bool plain = false;
    float value = 0;
    int dots = 1;

    explicit CoordinateToken(Token t) : token(t) {
        plain = ToFloatFast(t.text, t.End(), value);
        if (!plain)
            dots = CountChar(t, '.');
    }
    // What ToFloat gives for the token.
    float Value() const { return plain ? value : ToFloatGeneral(token.text, token.End()); }
};

void ReadCoordinates(Tokenizer& tok, std::optional<Token> first, PdbRecord& rec) {
    Token x, y, z;
    if (first)
        x = *first;
    else if (!tok.Next(x))
        return;
    const CoordinateToken cx(x);
    if (cx.dots == 2) {
        SplitTwo(x, rec.x, rec.y);
        if (tok.Next(z))
            rec.z = ToFloat(z);
    } else if (cx.dots == 3) {
        SplitThree(x, rec.x, rec.y, rec.z);
    } else if (cx.dots <= 1) {
        rec.x = cx.Value();
        if (!tok.Next(y))
            return;
        const CoordinateToken cy(y);
        if (cy.dots == 2) {
            SplitTwo(y, rec.y, rec.z);
        } else if (cy.dots <= 1) {
            rec.y = cy.Value();
            if (tok.Next(z))
                rec.z = ToFloat(z);
        }
    } // more than three numbers run together: no coordinate can be trusted
}

// Parses the rest of an ATOM or HETATM line (the tokenizer stands after the record name) as far
// as the line alone decides it. Returns false when the line ends before the chain or residue
// field; the setters raise their own errors. gluedSerial is the serial number when it ran into
// the record name, else null.
bool ParseAtomLine(Tokenizer& tok, bool hetatm, const Token* gluedSerial, PdbRecord& rec,
                   AtomLineFacts& facts) {
    std::memcpy(rec.record, hetatm ? "HETATM" : "ATOM", hetatm ? 7 : 5);
    Token t;
    if (gluedSerial)
        ReadSerial(*gluedSerial, rec, facts);
    else if (tok.Next(t))
        ReadSerial(t, rec, facts);
    Token current;
    if (!ReadNames(tok, hetatm, rec, current))
        return false;
    if (hetatm)
        rec.hetero = 1;
    std::optional<Token> residueNumber;
    std::optional<Token> firstCoordinate = ReadChain(tok, current, rec, residueNumber);
    rec.resSeq = residueNumber ? ToInt(*residueNumber) : 0;
    ReadCoordinates(tok, firstCoordinate, rec);
    Token occupancy, tempFactor;
    const bool hasOccupancy = tok.Next(occupancy);
    facts.hasTempFactor = hasOccupancy && tok.Next(tempFactor);
    rec.occupancy = hasOccupancy ? ToFloat(occupancy) : 1.0f;
    rec.tempFactor = facts.hasTempFactor ? ToFloat(tempFactor) : 0.0f;
    return true;
}

// ---------------------------------------------------------------------------------------------
// CONECT, MONITOR and BBOX lines.

// Serials run together in 5-column fields ("123456789" is 56789 and 1234): pieces are taken from
// the end. Returns false, appending nothing, when a piece is no serial.
bool AppendConectSerials(Token t, bool hexFile, IndexedList<int>& list) {
    int pieces[kLineChars / kWideSerialChars + 1];
    int count = 0;
    for (int end = t.length; end > 0; end -= kWideSerialChars) {
        const int start = std::max(0, end - kWideSerialChars);
        if (!DecodeListedSerial({t.text + start, end - start}, hexFile, pieces[count++]))
            return false;
    }
    for (int i = 0; i < count; ++i)
        list.Append(pieces[i]);
    return true;
}

// Returns false when the first serial is missing or not a number.
bool ReadConect(Tokenizer& tok, bool hexFile, std::vector<ConectEntry>& conects) {
    Token t;
    int owner = 0;
    if (!tok.Next(t) || !DecodeListedSerial(t, hexFile, owner))
        return false;
    // A long list is continued on further lines that repeat the first atom: one entry.
    if (conects.empty() || conects.back().owner != owner) {
        conects.emplace_back();
        conects.back().owner = owner;
    }
    IndexedList<int>& list = conects.back().bonded;
    while (tok.Next(t) && AppendConectSerials(t, hexFile, list)) {
    }
    return true;
}

bool IsScanSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

const char* SkipScanSpace(const char* p) {
    while (IsScanSpace(*p))
        ++p;
    return p;
}

// "MONITOR kind serialA serialB red green blue" at the start of the line.
void ReadMonitor(const char* line, const char* end, std::vector<PdbMonitor>& monitors) {
    if (std::strncmp(line, "MONITOR", 7) != 0)
        return;
    int v[6];
    const char* p = line + 7;
    for (int& value : v) {
        p = SkipScanSpace(p);
        if (!ScanInt(p, end, value))
            return;
    }
    for (int i = 3; i < 6; ++i)
        if (v[i] < 0 || v[i] > 255)
            return;
    monitors.push_back({v[0], v[1], v[2], v[3], v[4], v[5], -1, -1});
}

// "BBOX_R x y z" (and A, B, C) anywhere in the line; a vector counts once all three were read.
void ReadBox(const char* line, const char* end, std::vector<BoxVector>& boxes) {
    static const char* const kWords[4] = {"BBOX_R", "BBOX_A", "BBOX_B", "BBOX_C"};
    for (int w = 0; w < 4; ++w) {
        const char* p = std::strstr(line, kWords[w]);
        if (!p)
            continue;
        p += 6;
        BoxVector box{w, {}};
        int read = 0;
        for (; read < 3; ++read) {
            p = ScanFloat(SkipScanSpace(p), end, box.v[static_cast<std::size_t>(read)]);
            if (!p)
                break;
        }
        if (read == 3)
            boxes.push_back(box);
    }
}

// Files of 10,000 atoms and more write a five-digit serial straight after the six-character
// name HETATM ("HETATM12345", or "HETATMA0000" in hybrid-36); such lines are hetero atoms like
// any other, not unknown records.
bool IsGluedHetatm(Token first) {
    if (first.length <= 6 || std::strncmp(first.text, "HETATM", 6) != 0)
        return false;
    const Token serial{first.text + 6, first.length - 6};
    bool letters = false;
    int value = 0;
    if (IsHexSerial(serial, letters) || DecodeHybrid36(serial, value))
        return true;
    for (const char* c = serial.text; c != serial.End(); ++c)
        if (!IsDigit(*c))
            return false;
    return true;
}

// Parses the lines of one block into its ParsedBlock.
class BlockParser {
public:
    explicit BlockParser(ParsedBlock& out) : m_out(out) {}
    // Returns false after an atom line failed: the block ends there.
    bool Take(const char* line);

private:
    void Event(LineEvent::Kind kind, int value) {
        m_out.events.push_back({kind, static_cast<int>(m_out.records.size()), value});
    }
    bool TakeAtom(Tokenizer& tok, bool hetatm, const Token* gluedSerial = nullptr);
    void TakeConect(const char* text);

    ParsedBlock& m_out;
};

bool BlockParser::Take(const char* line) {
    Tokenizer tok(line);
    Token first;
    if (!tok.Next(first))
        return true;
    if (IsSameWord(first, "ATOM") || IsSameWord(first, "HETATM")) {
        if (!TakeAtom(tok, first.length == 6))
            return false;
    } else if (IsGluedHetatm(first)) {
        const Token serial{first.text + 6, first.length - 6};
        if (!TakeAtom(tok, true, &serial))
            return false;
    } else if (IsSameWord(first, "MODEL")) {
        Token number;
        Event(LineEvent::kModel, tok.Next(number) ? ToInt(number) : 0);
    } else if (IsSameWord(first, "TER")) {
        Event(LineEvent::kTer, 0);
    } else if (IsSameWord(first, "CONECT")) {
        TakeConect(first.End());
    }
    if (std::strstr(line, "MONITOR")) {
        const std::size_t before = m_out.monitors.size();
        ReadMonitor(line, line + std::strlen(line), m_out.monitors);
        if (m_out.monitors.size() > before)
            Event(LineEvent::kMonitor, static_cast<int>(before));
    }
    if (std::strstr(line, "BBOX_")) {
        const std::size_t before = m_out.boxes.size();
        ReadBox(line, line + std::strlen(line), m_out.boxes);
        for (std::size_t b = before; b < m_out.boxes.size(); ++b)
            Event(LineEvent::kBox, static_cast<int>(b));
    }
    return true;
}

bool BlockParser::TakeAtom(Tokenizer& tok, bool hetatm, const Token* gluedSerial) {
    PdbRecord rec;
    AtomLineFacts facts;
    try {
        if (!ParseAtomLine(tok, hetatm, gluedSerial, rec, facts))
            VORN_RAISE(kSource, "Error parsing file!");
    } catch (const VornError& e) {
        m_out.atomError = e;
        return false;
    }
    m_out.records.push_back(rec);
    m_out.facts.push_back(facts);
    return true;
}

// The serials are decoded when the blocks are joined: whether a five-digit serial is hexadecimal
// depends on the atom lines before it.
void BlockParser::TakeConect(const char* text) {
    Event(LineEvent::kConect, static_cast<int>(m_out.conectText.size()));
    m_out.conectText.append(text);
    m_out.conectText.push_back('\0');
}

} // namespace

void ParsedBlock::Clear() {
    records.clear();
    facts.clear();
    events.clear();
    conectText.clear();
    monitors.clear();
    boxes.clear();
    atomError.reset();
}

void ParseBlock(char* text, std::size_t size, ParsedBlock& out) {
    out.Clear();
    // Coordinate lines run to about 80 bytes; a block of short lines grows the vectors instead.
    out.records.reserve(size / 48 + 1);
    out.facts.reserve(size / 48 + 1);
    BlockParser parser(out);
    char* const end = text + size;
    for (char* line = text; line < end;) {
        char* newline = static_cast<char*>(std::memchr(line, '\n', std::size_t(end - line)));
        char* lineEnd = newline ? newline : end;
        line[std::min<std::ptrdiff_t>(lineEnd - line, kLineChars)] = '\0';
        if (!parser.Take(line))
            return;
        line = lineEnd + 1;
    }
}

// ---------------------------------------------------------------------------------------------
// Joining the blocks in file order.

void RecordJoiner::Take(const ParsedBlock& block) {
    if (m_atomError)
        return; // the read has failed; the rest only matters for stream damage
    int next = 0;
    for (const LineEvent& event : block.events) {
        TakeRecords(block, next, event.records);
        TakeEvent(block, event);
    }
    TakeRecords(block, next, static_cast<int>(block.records.size()));
    if (block.atomError)
        m_atomError = block.atomError;
}

// Settles serial, model and chain of the records next .. end − 1 from the records before each.
void RecordJoiner::TakeRecords(const ParsedBlock& block, int& next, int end) {
    std::vector<PdbRecord>& records = m_file.records;
    for (; next < end; ++next) {
        const AtomLineFacts& facts = block.facts[static_cast<std::size_t>(next)];
        records.push_back(block.records[static_cast<std::size_t>(next)]);
        PdbRecord& rec = records.back();
        const PdbRecord* prev = records.size() > 1 ? &records[records.size() - 2] : nullptr;
        // Decimal as ever, hybrid-36, or hexadecimal: a five-digit serial is read as hexadecimal
        // in a file numbered so once the serials have passed 99,999 and the hexadecimal reading
        // continues upwards (a new model starts again at 1 in decimal).
        if (facts.serialKind == kHexSerial)
            m_hexSerials = true;
        else if (facts.serialKind == kMaybeHexSerial && m_hexSerials && prev &&
                 prev->serial >= kLargestDecimalSerial && facts.hexValue > prev->serial)
            rec.serial = facts.hexValue;
        rec.model = m_model;
        RenameAfterTer(prev, rec);
        if (facts.hasTempFactor)
            ApplyImpliedModel(prev, rec);
    }
}

// A chain that continues after TER with the identifier of the record before it is a new chain:
// it and the records that follow with the same identifier get the next identifier.
void RecordJoiner::RenameAfterTer(const PdbRecord* prev, PdbRecord& rec) {
    const char original = rec.chain;
    if (m_renaming) {
        if (original == m_renameFrom)
            rec.chain = m_renameTo;
        else
            m_renaming = false;
    }
    if (!m_afterTer)
        return;
    m_afterTer = false;
    // Compared after the running renaming, so that a third segment of the same identifier gets
    // an identifier of its own instead of joining the second.
    if (prev && prev->chain == rec.chain) {
        m_renaming = true;
        m_renameFrom = original;
        m_renameTo = NextChainId(rec.chain);
        rec.chain = m_renameTo;
    }
}

// Multi-model files without MODEL records: the serials restart in another chain.
void RecordJoiner::ApplyImpliedModel(const PdbRecord* prev, PdbRecord& rec) {
    // The count stops at the largest model number rather than wrapping to a negative one.
    if (prev && rec.serial < prev->serial && rec.chain != prev->chain && rec.model == prev->model &&
        m_model < INT_MAX) {
        ++m_model;
        rec.model = m_model;
    }
}

void RecordJoiner::TakeEvent(const ParsedBlock& block, const LineEvent& event) {
    switch (event.kind) {
    case LineEvent::kModel:
        // A MODEL record starts a new model whose chains are named afresh: a TER closing the
        // model before it renames nothing.
        m_model = event.value;
        m_afterTer = false;
        m_renaming = false;
        break;
    case LineEvent::kTer:
        m_afterTer = true;
        break;
    case LineEvent::kConect:
        if (!m_conectFailed) {
            Tokenizer tok(block.conectText.c_str() + event.value);
            m_conectFailed = !ReadConect(tok, m_hexSerials, m_file.conects);
        }
        break;
    case LineEvent::kMonitor:
        m_file.monitors.push_back(block.monitors[static_cast<std::size_t>(event.value)]);
        break;
    case LineEvent::kBox: {
        const BoxVector& box = block.boxes[static_cast<std::size_t>(event.value)];
        float* const vectors[4] = {m_file.boxR, m_file.boxA, m_file.boxB, m_file.boxC};
        std::copy(box.v.begin(), box.v.end(), vectors[box.word]);
        m_boxSeen[box.word] = true;
        break;
    }
    }
}

void RecordJoiner::Finish() {
    if (m_atomError)
        throw *m_atomError;
    if (m_conectFailed)
        VORN_RAISE(kSource, "Error parsing file!");
    m_file.atomCount = static_cast<int>(m_file.records.size());
    m_file.conectCount = static_cast<int>(m_file.conects.size());
    m_file.CountBonds();
    ResolveMonitors();
    m_file.boxComplete = m_boxSeen[0] && m_boxSeen[1] && m_boxSeen[2] && m_boxSeen[3];
}

// Monitor atoms are the first records with the exact serials; monitors naming an absent atom are
// dropped.
void RecordJoiner::ResolveMonitors() {
    std::vector<PdbMonitor>& monitors = m_file.monitors;
    if (!monitors.empty()) {
        std::vector<std::pair<int, int>> bySerial; // (serial, record index), first match first
        bySerial.reserve(m_file.records.size());
        for (std::size_t i = 0; i < m_file.records.size(); ++i)
            bySerial.emplace_back(m_file.records[i].serial, static_cast<int>(i));
        std::sort(bySerial.begin(), bySerial.end());
        auto find = [&bySerial](int serial) {
            auto it =
                std::lower_bound(bySerial.begin(), bySerial.end(), std::pair{serial, INT_MIN});
            return it != bySerial.end() && it->first == serial ? it->second : -1;
        };
        for (PdbMonitor& m : monitors) {
            m.indexA = find(m.serialA);
            m.indexB = find(m.serialB);
        }
        monitors.erase(
            std::remove_if(monitors.begin(), monitors.end(),
                           [](const PdbMonitor& m) { return m.indexA < 0 || m.indexB < 0; }),
            monitors.end());
    }
    m_file.monitorCount = static_cast<int>(monitors.size());
}

} // namespace pdblines

} // namespace vorn
