// Reads a PDB coordinate file, plain or gzip-compressed, into a file-shaped record set.
//
// The reader ignores the fixed PDB columns: it splits each line into tokens separated by space,
// tab, CR or LF and repairs fields that have run together (atom name with residue name, chain
// letter with residue number, coordinates with each other, CONECT serials with each other). The
// file is read in one pass; each line is dispatched by its first token, and every line is also
// checked for MONITOR and BBOX_ words, which may sit anywhere in it.
#include "io/PdbFile.h"

#include "core/HugePages.h"
#include "core/VornError.h"
#include "io/GzLineReader.h"
#include "io/Tokens.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

namespace vorn {

namespace {

using namespace tokens;

constexpr char kSource[] = "pdb";
constexpr int kLineChars = GzLineReader::kMaxLineChars;
constexpr std::size_t kMaxReserve = 1u << 22; // records reserved up front at most
constexpr int kMaxGluedAtomName = 6;          // characters kept from a glued atom name

// A token as a NUL-terminated string for the record setters.
struct TokenString {
    char text[kLineChars + 1];
    explicit TokenString(Token t) {
        const int n = std::min(t.length, kLineChars);
        std::memcpy(text, t.text, static_cast<std::size_t>(n));
        text[n] = '\0';
    }
};

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
// ATOM and HETATM lines.

class AtomLineParser {
public:
    // Parses the rest of an ATOM or HETATM line (the tokenizer stands after the record name).
    // Returns false when the line ends before the chain or residue field; the setters raise
    // their own errors.
    // gluedSerial is the serial number when it ran into the record name, else null.
    bool Parse(Tokenizer& tok, bool hetatm, const Token* gluedSerial, const PdbRecord* prev,
               PdbRecord& rec);

    // A MODEL record starts a new model whose chains are named afresh: a TER closing the model
    // before it renames nothing.
    void StartModel(int model) {
        m_model = model;
        m_afterTer = false;
        m_renaming = false;
    }
    void MarkTer() { m_afterTer = true; }
    // Whether the atoms were numbered in hexadecimal past 99,999.
    bool HexSerials() const { return m_hexSerials; }

private:
    int ReadSerial(Token t, const PdbRecord* prev);
    bool ReadNames(Tokenizer& tok, bool hetatm, PdbRecord& rec, Token& current);
    std::optional<Token> ReadChain(Tokenizer& tok, Token current, PdbRecord& rec,
                                   std::optional<Token>& residueNumber);
    void RenameAfterTer(const PdbRecord* prev, PdbRecord& rec);
    void ReadCoordinates(Tokenizer& tok, std::optional<Token> first, PdbRecord& rec);
    void ApplyImpliedModel(const PdbRecord* prev, PdbRecord& rec);

    int m_model = 0;
    bool m_afterTer = false;
    bool m_renaming = false;
    char m_renameFrom = ' ', m_renameTo = ' ';
    bool m_hexSerials = false;
};

bool AtomLineParser::Parse(Tokenizer& tok, bool hetatm, const Token* gluedSerial,
                           const PdbRecord* prev, PdbRecord& rec) {
    rec.model = m_model;
    rec.SetRecord(hetatm ? "HETATM" : "ATOM");
    Token t;
    if (gluedSerial)
        rec.serial = ReadSerial(*gluedSerial, prev);
    else
        rec.serial = tok.Next(t) ? ReadSerial(t, prev) : 0;
    Token current;
    if (!ReadNames(tok, hetatm, rec, current))
        return false;
    if (hetatm)
        rec.hetero = 1;
    std::optional<Token> residueNumber;
    std::optional<Token> firstCoordinate = ReadChain(tok, current, rec, residueNumber);
    RenameAfterTer(prev, rec);
    rec.resSeq = residueNumber ? ToInt(*residueNumber) : 0;
    ReadCoordinates(tok, firstCoordinate, rec);
    Token occupancy, tempFactor;
    const bool hasOccupancy = tok.Next(occupancy);
    const bool hasTempFactor = hasOccupancy && tok.Next(tempFactor);
    rec.occupancy = hasOccupancy ? ToFloat(occupancy) : 1.0f;
    rec.tempFactor = hasTempFactor ? ToFloat(tempFactor) : 0.0f;
    if (hasTempFactor)
        ApplyImpliedModel(prev, rec);
    return true;
}

// Decimal as ever, hybrid-36, or hexadecimal: a five-digit serial is read as hexadecimal in a
// file numbered so once the serials have passed 99,999 and the hexadecimal reading continues
// upwards (a new model starts again at 1 in decimal).
int AtomLineParser::ReadSerial(Token t, const PdbRecord* prev) {
    bool letters = false;
    if (IsHexSerial(t, letters)) {
        const int hex = HexValue(t);
        const bool afterLarger =
            m_hexSerials && prev && prev->serial >= kLargestDecimalSerial && hex > prev->serial;
        if ((letters && IsDigit(t.text[0])) || afterLarger) {
            m_hexSerials = true;
            return hex;
        }
    }
    int value = 0;
    return DecodeHybrid36(t, value) ? value : ToInt(t);
}

// Atom and residue name; leaves the chain token in current.
bool AtomLineParser::ReadNames(Tokenizer& tok, bool hetatm, PdbRecord& rec, Token& current) {
    Token name;
    if (!tok.Next(name))
        return false;
    if (name.length >= 5) {
        // Atom name run into a three-letter residue name ("HD21ASN"); the name is kept as typed.
        const int n = std::min(name.length - 3, kMaxGluedAtomName);
        std::memcpy(rec.atomName, name.text, static_cast<std::size_t>(n));
        rec.atomName[n] = '\0';
        rec.SetResName(TokenString({name.End() - 3, 3}).text);
        return tok.Next(current);
    }
    rec.SetAtomName(TokenString(name).text);
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
    rec.SetResName(TokenString(residue).text);
    return tok.Next(current);
}

// Chain identifier and residue-number token; returns the first coordinate token when it had to
// be read to tell the fields apart.
std::optional<Token> AtomLineParser::ReadChain(Tokenizer& tok, Token current, PdbRecord& rec,
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

// A chain that continues after TER with the identifier of the record before it is a new chain:
// it and the records that follow with the same identifier get the next identifier.
void AtomLineParser::RenameAfterTer(const PdbRecord* prev, PdbRecord& rec) {
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

void AtomLineParser::ReadCoordinates(Tokenizer& tok, std::optional<Token> first, PdbRecord& rec) {
    Token x, y, z;
    if (first)
        x = *first;
    else if (!tok.Next(x))
        return;
    const int xDots = CountChar(x, '.');
    if (xDots == 2) {
        SplitTwo(x, rec.x, rec.y);
        if (tok.Next(z))
            rec.z = ToFloat(z);
    } else if (xDots == 3) {
        SplitThree(x, rec.x, rec.y, rec.z);
    } else if (xDots <= 1) {
        rec.x = ToFloat(x);
        if (!tok.Next(y))
            return;
        const int yDots = CountChar(y, '.');
        if (yDots == 2) {
            SplitTwo(y, rec.y, rec.z);
        } else if (yDots <= 1) {
            rec.y = ToFloat(y);
            if (tok.Next(z))
                rec.z = ToFloat(z);
        }
    } // more than three numbers run together: no coordinate can be trusted
}

// Multi-model files without MODEL records: the serials restart in another chain.
void AtomLineParser::ApplyImpliedModel(const PdbRecord* prev, PdbRecord& rec) {
    // The count stops at the largest model number rather than wrapping to a negative one.
    if (prev && rec.serial < prev->serial && rec.chain != prev->chain && rec.model == prev->model &&
        m_model < INT_MAX) {
        ++m_model;
        rec.model = m_model;
    }
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
void ReadBox(const char* line, const char* end, float* const vectors[4], bool seen[4]) {
    static const char* const kWords[4] = {"BBOX_R", "BBOX_A", "BBOX_B", "BBOX_C"};
    for (int w = 0; w < 4; ++w) {
        const char* p = std::strstr(line, kWords[w]);
        if (!p)
            continue;
        p += 6;
        float v[3];
        int read = 0;
        for (; read < 3; ++read) {
            p = ScanFloat(SkipScanSpace(p), end, v[read]);
            if (!p)
                break;
        }
        if (read == 3) {
            std::copy(v, v + 3, vectors[w]);
            seen[w] = true;
        }
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

// Takes the lines of one file in order and fills the record set. Errors are kept until the
// end so that the first atom error wins over a CONECT error, and a damaged stream over both.
class LineDispatcher {
public:
    explicit LineDispatcher(PdbFile& file) : m_file(file) {}
    void Take(const char* line);
    void Finish();

private:
    void TakeAtom(Tokenizer& tok, bool hetatm, const Token* gluedSerial = nullptr);
    void ResolveMonitors();

    PdbFile& m_file;
    AtomLineParser m_atoms;
    std::optional<VornError> m_atomError;
    bool m_conectFailed = false;
    bool m_boxSeen[4] = {};
};

void LineDispatcher::Take(const char* line) {
    if (m_atomError)
        return; // the read has failed; the rest is only checked for stream damage
    Tokenizer tok(line);
    Token first;
    if (!tok.Next(first))
        return;
    if (IsSameWord(first, "ATOM") || IsSameWord(first, "HETATM")) {
        TakeAtom(tok, first.length == 6);
    } else if (IsGluedHetatm(first)) {
        const Token serial{first.text + 6, first.length - 6};
        TakeAtom(tok, true, &serial);
    } else if (IsSameWord(first, "MODEL")) {
        Token number;
        m_atoms.StartModel(tok.Next(number) ? ToInt(number) : 0);
    } else if (IsSameWord(first, "TER")) {
        m_atoms.MarkTer();
    } else if (IsSameWord(first, "CONECT") && !m_conectFailed) {
        m_conectFailed = !ReadConect(tok, m_atoms.HexSerials(), m_file.conects);
    }
    if (std::strstr(line, "MONITOR"))
        ReadMonitor(line, line + std::strlen(line), m_file.monitors);
    if (std::strstr(line, "BBOX_")) {
        float* const vectors[4] = {m_file.boxR, m_file.boxA, m_file.boxB, m_file.boxC};
        ReadBox(line, line + std::strlen(line), vectors, m_boxSeen);
    }
}

void LineDispatcher::TakeAtom(Tokenizer& tok, bool hetatm, const Token* gluedSerial) {
    std::vector<PdbRecord>& records = m_file.records;
    const PdbRecord* prev = records.empty() ? nullptr : &records.back();
    PdbRecord rec;
    try {
        if (!m_atoms.Parse(tok, hetatm, gluedSerial, prev, rec))
            VORN_RAISE(kSource, "Error parsing file!");
    } catch (const VornError& e) {
        m_atomError = e;
        return;
    }
    records.push_back(rec);
}

void LineDispatcher::Finish() {
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
void LineDispatcher::ResolveMonitors() {
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

// Copies text upper-cased into a field of the given capacity (terminator included).
void CopyUpper(const char* text, char* field, std::size_t capacity, const char* message) {
    if (!text)
        text = "";
    std::size_t length = 0;
    while (length < capacity && text[length])
        ++length;
    if (length == capacity)
        VORN_RAISE(kSource, message);
    for (std::size_t i = 0; i < length; ++i) {
        const char c = text[i];
        field[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    field[length] = '\0';
}

// Largest (or smallest) absolute value of a field over the records; 0 when there are none.
float MagnitudeExtreme(const std::vector<PdbRecord>& records, float PdbRecord::*field,
                       bool largest) {
    if (records.empty())
        return 0.0f;
    float result = std::fabs(records.front().*field);
    for (const PdbRecord& r : records) {
        const float v = std::fabs(r.*field);
        result = largest ? std::max(result, v) : std::min(result, v);
    }
    return result;
}

} // namespace

void PdbRecord::SetRecord(const char* text) {
    CopyUpper(text, record, sizeof record, "SetRecord: Error in assigning PDB_RECORD_FIELD!");
}

void PdbRecord::SetAtomName(const char* text) {
    CopyUpper(text, atomName, sizeof atomName, "SetAtomName: Error in assigning PDB_NAME_FIELD");
}

void PdbRecord::SetResName(const char* text) {
    CopyUpper(text, resName, sizeof resName, "SetResName: Error in assigning PDB_RESIDUE_FIELD");
    static const char kWaters[][4] = {"TIP", "SPC", "HOH", "SOL"};
    hetero = 0;
    for (const char* water : kWaters)
        if (resName[0] == water[0] && resName[1] == water[1] && resName[2] == water[2])
            hetero = 1;
}

bool PdbFile::Read(const std::string& fileName) {
    *this = PdbFile();
    GzLineReader reader;
    if (!reader.Open(fileName))
        VORN_RAISE(kSource, "Can't open file!");
    // Coordinate lines are about 81 bytes. Erring high avoids a reallocation that would copy every
    // record of a large file once more.
    ReserveLarge(records, std::min<std::size_t>(
                              static_cast<std::size_t>(reader.EstimatedBytes() / 64), kMaxReserve));
    LineDispatcher dispatcher(*this);
    while (const char* line = reader.Next())
        dispatcher.Take(line);
    if (reader.Oversized())
        VORN_RAISE(kSource, "The file unpacks to far more data than a structure needs");
    if (reader.Failed())
        VORN_RAISE(kSource, "Error parsing file!");
    dispatcher.Finish();
    return true;
}

SerialIndex::SerialIndex(const PdbFile& pdb, int count)
    : m_records(pdb.records.data()),
      m_count(count < 0 ? static_cast<int>(pdb.records.size())
                        : std::min(count, static_cast<int>(pdb.records.size()))) {
    int i = 0;
    while (i < m_count && m_records[i].serial == i + 1)
        ++i;
    if (i == m_count)
        return;
    m_first.reserve(static_cast<std::size_t>(m_count));
    for (int k = 0; k < m_count; ++k)
        m_first.emplace(m_records[k].serial, k); // keeps the first of duplicate serials
}

int SerialIndex::IndexOf(int serial) const {
    if (serial >= 1 && serial <= m_count && m_records[serial - 1].serial == serial)
        return serial - 1;
    const auto it = m_first.find(serial);
    return it == m_first.end() ? -1 : it->second;
}

// Distinct unordered pairs (first atom, listed atom); an atom listed as bonded to itself is no
// bond.
void PdbFile::CountBonds() {
    std::vector<std::uint64_t> pairs;
    for (const ConectEntry& entry : conects)
        for (int other : entry.bonded) {
            if (other == entry.owner)
                continue;
            const auto [lo, hi] = std::minmax(entry.owner, other);
            pairs.push_back(std::uint64_t(std::uint32_t(lo)) << 32 | std::uint32_t(hi));
        }
    std::sort(pairs.begin(), pairs.end());
    bondCount = static_cast<int>(std::unique(pairs.begin(), pairs.end()) - pairs.begin());
}

float PdbFile::TempFactorMax() const {
    return MagnitudeExtreme(records, &PdbRecord::tempFactor, true);
}
float PdbFile::TempFactorMin() const {
    return MagnitudeExtreme(records, &PdbRecord::tempFactor, false);
}
float PdbFile::OccupancyMax() const {
    return MagnitudeExtreme(records, &PdbRecord::occupancy, true);
}
float PdbFile::OccupancyMin() const {
    return MagnitudeExtreme(records, &PdbRecord::occupancy, false);
}

} // namespace vorn
