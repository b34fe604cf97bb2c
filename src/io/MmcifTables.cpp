// Turns the tables of an mmCIF text into the record set of a PDB file, value by value.
#include "io/MmcifTables.h"

#include "core/HugePages.h"
#include "core/VornError.h"
#include "io/PdbFile.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

namespace vorn {

namespace {

using cif::Value;
using Category = MmcifTables::Category;

constexpr char kSource[] = "mmCIF";
constexpr int kLongestAtomName = 7;
constexpr int kLongestResidueName = 5;
constexpr int kUnassigned = INT_MIN;

[[noreturn]] void Fail(std::size_t line, const std::string& what) {
    VORN_RAISE(kSource, "Error parsing file! Line " + std::to_string(line) + ": " + what);
}

// The table a tag belongs to, and where the column's name starts in it.
Category CategoryOf(const char* tag, std::size_t length, std::size_t& nameStart) {
    static const struct {
        const char* prefix;
        Category category;
    } kPrefixes[] = {{"_atom_site.", Category::kAtomSite},
                     {"_struct_conn.", Category::kStructConn}};
    for (const auto& p : kPrefixes) {
        const std::size_t n = std::strlen(p.prefix);
        if (length > n && cif::SameWord(tag, n, p.prefix)) {
            nameStart = n;
            return p.category;
        }
    }
    return Category::kOther;
}

enum AtomColumn : unsigned char {
    kIgnored,
    kGroup,
    kId,
    kLabelAtom,
    kAuthAtom,
    kLabelComp,
    kAuthComp,
    kLabelAsym,
    kAuthAsym,
    kLabelSeq,
    kAuthSeq,
    kInsCode,
    kAltId,
    kX,
    kY,
    kZ,
    kOccupancy,
    kTempFactor,
    kModel,
    kAtomColumnCount
};

// Column names in the order of AtomColumn.
const char* const kAtomColumnNames[kAtomColumnCount] = {"",
                                                        "group_pdb",
                                                        "id",
                                                        "label_atom_id",
                                                        "auth_atom_id",
                                                        "label_comp_id",
                                                        "auth_comp_id",
                                                        "label_asym_id",
                                                        "auth_asym_id",
                                                        "label_seq_id",
                                                        "auth_seq_id",
                                                        "pdbx_pdb_ins_code",
                                                        "label_alt_id",
                                                        "cartn_x",
                                                        "cartn_y",
                                                        "cartn_z",
                                                        "occupancy",
                                                        "b_iso_or_equiv",
                                                        "pdbx_pdb_model_num"};

const char* const kCoordinateNames[3] = {"Cartn_x", "Cartn_y", "Cartn_z"};

unsigned char AtomColumnOf(const char* name, std::size_t length) {
    for (unsigned char c = kGroup; c < kAtomColumnCount; ++c)
        if (cif::SameWord(name, length, kAtomColumnNames[c]))
            return c;
    return kIgnored;
}

// mmCIF names chains with up to four characters, a record keeps one. A name of one character
// keeps it; a longer one takes its first character, or the next one where that would join it to
// the chain just before it.
char NextChainLetter(char c) {
    if (c == 'Z')
        return 'a';
    if (c == 'z')
        return '0';
    if (c == '9')
        return 'A';
    if (std::isalnum(static_cast<unsigned char>(c)))
        return static_cast<char>(c + 1);
    return 'A';
}

} // namespace

int MmcifTables::ChainNames::IndexOf(const cif::ShortText& name) {
    const auto [it, added] = m_indices.emplace(name.String(), static_cast<int>(m_letters.size()));
    if (added)
        m_letters.push_back(kUnassigned);
    return it->second;
}

char MmcifTables::ChainNames::LetterOf(int index, const cif::ShortText& name,
                                       const PdbRecord* previous, int previousIndex) {
    int& letter = m_letters[static_cast<std::size_t>(index)];
    if (letter != kUnassigned)
        return static_cast<char>(letter);
    char c = (name.Given() && name.length > 0) ? name.text[0] : ' ';
    if (previous && previousIndex != index)
        for (int tries = 0; c == previous->chain && tries < 64; ++tries)
            c = NextChainLetter(c);
    letter = c;
    return c;
}

MmcifTables::MmcifTables(PdbFile& file, std::size_t expectedAtoms) : m_file(file) {
    ReserveLarge(m_places, expectedAtoms);
}

MmcifTables::Category MmcifTables::Effective(Category c) const {
    return m_skipRest || m_inFrame ? Category::kOther : c;
}

void MmcifTables::StartBlock() {
    EndSingleItems();
    if (m_atomTableSeen)
        m_skipRest = true;
    else
        m_links.Clear(); // the links of a block without atoms name none of the atoms to come
}

void MmcifTables::StartTable(Category category) {
    m_category = Effective(category);
    m_columnNames.clear();
    m_columnKinds.clear();
    m_columns = 0;
    m_column = 0;
    m_checked = false;
    if (m_category == Category::kAtomSite) {
        if (m_atomTableSeen)
            Fail(m_line, "a second atom_site table");
        m_atomTableSeen = true;
    }
}

void MmcifTables::StartLoop() {
    EndSingleItems();
    m_category = Category::kOther;
    m_columns = 0;
    m_column = 0;
}

void MmcifTables::AddColumn(const char* tag, std::size_t length, std::size_t nameStart) {
    ++m_columns;
    if (m_category == Category::kOther)
        return;
    std::string name(tag + nameStart, length - nameStart);
    std::transform(name.begin(), name.end(), name.begin(), cif::Lower);
    if (std::find(m_columnNames.begin(), m_columnNames.end(), name) != m_columnNames.end())
        Fail(m_line, "the column " + std::string(tag, length) + " is given twice");
    m_columnNames.push_back(name);
    m_columnKinds.push_back(m_category == Category::kAtomSite
                                ? AtomColumnOf(name.data(), name.size())
                                : MmcifLinks::ColumnOf(name.data(), name.size()));
}

void MmcifTables::LoopTag(const char* text, std::size_t length, std::size_t line) {
    m_line = line;
    std::size_t nameStart = 0;
    const Category category = CategoryOf(text, length, nameStart);
    if (m_columns == 0)
        StartTable(category);
    else if (Effective(category) != m_category)
        Fail(line, "a loop that mixes " + std::string(text, length) + " with another table");
    AddColumn(text, length, nameStart);
}

// The columns that records cannot do without.
void MmcifTables::CheckColumns() {
    m_checked = true;
    if (m_category != Category::kAtomSite)
        return;
    const auto has = [this](unsigned char c) {
        return std::find(m_columnKinds.begin(), m_columnKinds.end(), c) != m_columnKinds.end();
    };
    for (const unsigned char c : {kX, kY, kZ})
        if (!has(c))
            Fail(m_line,
                 std::string("the atom_site table has no ") + kCoordinateNames[c - kX] + " column");

    if (!has(kAuthAtom) && !has(kLabelAtom))
        Fail(m_line, "the atom_site table has no atom names (auth_atom_id or label_atom_id)");
}

void MmcifTables::OtherLoopValue(const char* text, std::size_t length) {
    if (m_category != Category::kOther) {
        if (!m_checked)
            CheckColumns();
        Take(m_columnKinds[m_column], cif::ValueOf(text, length));
    }
    if (++m_column == m_columns) {
        m_column = 0;
        if (m_category != Category::kOther)
            FinishRow();
    }
}

void MmcifTables::EndLoop() {
    if (m_column != 0)
        Fail(m_line, "a row of " + std::to_string(m_column) + " values in a loop of " +
                         std::to_string(m_columns) + " columns");
    if (m_category != Category::kOther && !m_checked)
        CheckColumns(); // a table without rows
    m_category = Category::kOther;
    m_columns = 0;
}

// Single items of a table that is read make one row, which ends where another table starts.
void MmcifTables::ItemTag(const char* text, std::size_t length, std::size_t line) {
    m_line = line;
    std::size_t nameStart = 0;
    const Category category = CategoryOf(text, length, nameStart);
    if (!m_itemRow || Effective(category) != m_category) {
        EndSingleItems();
        StartTable(category);
        m_itemRow = true;
    }
    AddColumn(text, length, nameStart);
}

void MmcifTables::ItemValue(const char* text, std::size_t length, std::size_t line) {
    m_line = line;
    if (m_category != Category::kOther)
        Take(m_columnKinds.back(), cif::ValueOf(text, length));
}

void MmcifTables::MissingValue() {
    Fail(m_line, "a tag without a value");
}

void MmcifTables::EndSingleItems() {
    if (!m_itemRow)
        return;
    m_itemRow = false;
    if (m_category != Category::kOther) {
        CheckColumns();
        FinishRow();
    }
    m_category = Category::kOther;
    m_columns = 0;
}

void MmcifTables::Take(unsigned char column, Value v) {
    if (m_category == Category::kAtomSite)
        TakeAtomValue(column, v);
    else
        m_links.Take(column, v);
}

void MmcifTables::FinishRow() {
    if (m_category == Category::kAtomSite)
        FinishAtomRow();
    else
        m_links.FinishRow([this](const cif::ShortText& name) { return m_chains.IndexOf(name); });
}

// A number of a numeric column; fallback where the value is unknown. Anything else is an error:
// a damaged row would otherwise put atoms where they are not.
float MmcifTables::Number(Value v, float fallback, const char* column) const {
    if (v.null)
        return fallback;
    float value = 0;
    if (!cif::NumberOf(v, value))
        NotANumber(column);
    return value;
}

void MmcifTables::NotANumber(const char* column) const {
    Fail(m_line, std::string("_atom_site.") + column + " is not a number");
}

void MmcifTables::TakeAtomValue(unsigned char column, Value v) {
    AtomRow& r = m_atom;
    switch (column) {
    case kGroup:
        r.hetatm = cif::IsWord(v, "HETATM");
        break;
    case kId:
        r.hasId = !v.null && tokens::ParseInt(v.text, v.End(), r.id);
        break;
    case kLabelAtom:
        r.labelAtom.Set(v);
        break;
    case kAuthAtom:
        r.authAtom.Set(v);
        break;
    case kLabelComp:
        r.labelComp.Set(v);
        break;
    case kAuthComp:
        r.authComp.Set(v);
        break;
    case kLabelAsym:
        r.labelAsym.Set(v);
        break;
    case kAuthAsym:
        r.authAsym.Set(v);
        break;
    case kLabelSeq:
        r.hasLabelSeq = cif::LeadingInt(v, r.labelSeq);
        break;
    case kAuthSeq:
        r.hasAuthSeq = cif::LeadingInt(v, r.authSeq);
        break;
    case kInsCode:
        r.insCode = cif::CodeOf(v);
        break;
    case kAltId:
        r.altId = cif::CodeOf(v);
        break;
    case kX:
    case kY:
    case kZ: {
        const int axis = column - kX;
        if (v.null)
            Fail(m_line, std::string("an atom without a position (_atom_site.") +
                             kCoordinateNames[axis] + ")");
        (axis == 0 ? r.x : axis == 1 ? r.y : r.z) = Number(v, 0.0f, kCoordinateNames[axis]);
        r.coordinates |= 1u << axis;
        break;
    }
    case kOccupancy:
        r.occupancy = Number(v, 1.0f, "occupancy");
        break;
    case kTempFactor:
        r.tempFactor = Number(v, 0.0f, "B_iso_or_equiv");
        break;
    case kModel:
        if (!cif::LeadingInt(v, r.model))
            r.model = 0;
        break;
    default:
        break;
    }
}

char MmcifTables::ChainOf(const AtomRow& row, int& index) {
    const cif::ShortText& name = cif::Preferred(row.authAsym, row.labelAsym);
    if (m_lastChainIndex < 0 || !(name == m_lastChainName)) {
        const PdbRecord* previous = m_file.records.empty() ? nullptr : &m_file.records.back();
        const int previousIndex = m_lastChainIndex;
        m_lastChainIndex = m_chains.IndexOf(name);
        m_lastChainLetter = m_chains.LetterOf(m_lastChainIndex, name, previous, previousIndex);
        m_lastChainName = name;
    }
    index = m_lastChainIndex;
    return m_lastChainLetter;
}

void MmcifTables::FinishAtomRow() {
    const AtomRow& r = m_atom;
    if (r.coordinates != AtomRow::kAllCoordinates)
        Fail(m_line, "an atom without a position");
    const cif::ShortText& name = cif::Preferred(r.authAtom, r.labelAtom);
    const cif::ShortText& residue = cif::Preferred(r.authComp, r.labelComp);
    if (!name.Given() || name.length == 0)
        Fail(m_line, "an atom without a name");
    if (name.length > kLongestAtomName)
        Fail(m_line, "the atom name " + name.String() + " is too long");
    if (residue.length > kLongestResidueName)
        Fail(m_line, "the residue name " + residue.String() + " is too long");
    std::vector<PdbRecord>& records = m_file.records;
    PdbRecord rec;
    rec.SetRecord(r.hetatm ? "HETATM" : "ATOM");
    rec.serial =
        r.hasId ? r.id : static_cast<int>(std::min<std::size_t>(records.size() + 1, INT_MAX));
    rec.SetAtomName(name.text);
    rec.SetResName(residue.Given() ? residue.text : "");
    if (r.hetatm)
        rec.hetero = 1;
    rec.resSeq = r.hasAuthSeq ? r.authSeq : (r.hasLabelSeq ? r.labelSeq : 0);
    int chainIndex = -1;
    rec.chain = ChainOf(r, chainIndex);
    rec.x = r.x;
    rec.y = r.y;
    rec.z = r.z;
    rec.occupancy = r.occupancy;
    rec.tempFactor = r.tempFactor;
    rec.model = r.model;
    records.push_back(rec);
    m_places.push_back({chainIndex, r.insCode, r.altId});
    m_atom = AtomRow();
}

// A file of one model reads as a PDB file without MODEL records does: model 0.
void MmcifTables::NumberModels() {
    std::vector<PdbRecord>& records = m_file.records;
    for (const PdbRecord& r : records)
        if (r.model != records.front().model)
            return;
    for (PdbRecord& r : records)
        r.model = 0;
}

void MmcifTables::Finish(std::size_t lastLine) {
    m_line = lastLine;
    EndSingleItems();
    if (!m_atomTableSeen)
        Fail(lastLine, "no atom_site table in the file");
    m_links.AddConects(m_file, m_places);
    NumberModels();
    m_file.atomCount = static_cast<int>(m_file.records.size());
    m_file.conectCount = static_cast<int>(m_file.conects.size());
    m_file.conectsAreLinks = true;
    m_file.CountBonds();
}

} // namespace vorn
