// The bonds an mmCIF file's struct_conn table names between residues, as CONECT entries.
#include "io/MmcifLinks.h"

#include "io/PdbFile.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace vorn {

namespace {

using cif::Value;

// Both partners have the same columns, with 1 or 2 in their names; a second partner's column is
// the first one's plus kPartnerColumns.
enum Column : unsigned char {
    kIgnored,
    kConnType,
    kAuthAsym1,
    kLabelAsym1,
    kAuthSeq1,
    kLabelSeq1,
    kInsCode1,
    kAtom1,
    kAltId1,
    kSymmetry1,
    kAuthAsym2
};
constexpr int kPartnerColumns = kAuthAsym2 - kAuthAsym1;

// The columns of the first partner; the second's replace "1" by "2".
const char* const kPartnerNames[kPartnerColumns] = {
    "ptnr1_auth_asym_id",      "ptnr1_label_asym_id",     "ptnr1_auth_seq_id",
    "ptnr1_label_seq_id",      "pdbx_ptnr1_pdb_ins_code", "ptnr1_label_atom_id",
    "pdbx_ptnr1_label_alt_id", "ptnr1_symmetry"};

struct KeyHash {
    std::size_t operator()(const MmcifLinks::Key& k) const {
        std::size_t h = static_cast<std::size_t>(k.chain) * 31 + static_cast<std::size_t>(k.resSeq);
        h = h * 31 + static_cast<unsigned char>(k.insCode);
        h = h * 31 + static_cast<unsigned char>(k.altId);
        for (const char* c = k.name; *c; ++c)
            h = h * 31 + static_cast<unsigned char>(*c);
        return h;
    }
};

} // namespace

bool MmcifLinks::Key::operator==(const Key& o) const {
    return chain == o.chain && resSeq == o.resSeq && insCode == o.insCode && altId == o.altId &&
           std::strcmp(name, o.name) == 0;
}

unsigned char MmcifLinks::ColumnOf(const char* name, std::size_t length) {
    if (cif::SameWord(name, length, "conn_type_id"))
        return kConnType;
    for (int partner = 0; partner < 2; ++partner)
        for (int k = 0; k < kPartnerColumns; ++k) {
            std::string candidate = kPartnerNames[k];
            candidate[candidate.find('1')] = static_cast<char>('1' + partner);
            if (cif::SameWord(name, length, candidate.c_str()))
                return static_cast<unsigned char>(kAuthAsym1 + partner * kPartnerColumns + k);
        }
    return kIgnored;
}

void MmcifLinks::Take(unsigned char column, Value v) {
    if (column == kConnType) {
        // Disulfides, the covalent kinds (covale, covale_base, covale_phosphate, ...) and metal
        // coordination, which a PDB file of the entry lists in its CONECT records as well;
        // hydrogen bonds, salt bridges and mismatched base pairs are no bonds.
        m_bond = cif::IsWord(v, "disulf") || cif::IsWord(v, "metalc") ||
                 (!v.null && v.length >= 6 && cif::SameWord(v.text, 6, "covale"));
        return;
    }
    if (column < kAuthAsym1)
        return;
    const int partner = column >= kAuthAsym2 ? 1 : 0;
    Partner& p = m_partners[partner];
    switch (column - partner * kPartnerColumns) {
    case kAuthAsym1:
        p.authAsym.Set(v);
        break;
    case kLabelAsym1:
        p.labelAsym.Set(v);
        break;
    case kAuthSeq1:
        p.hasAuthSeq = cif::LeadingInt(v, p.authSeq);
        break;
    case kLabelSeq1:
        p.hasLabelSeq = cif::LeadingInt(v, p.labelSeq);
        break;
    case kInsCode1:
        p.insCode = cif::CodeOf(v);
        break;
    case kAtom1:
        p.atom.Set(v);
        break;
    case kAltId1:
        p.altId = cif::CodeOf(v);
        break;
    default: // the symmetry operator: the identity "1_555" keeps the partner in the file
        p.otherImage = !v.null && !cif::IsWord(v, "1_555");
        break;
    }
}

void MmcifLinks::FinishRow(const std::function<int(const cif::ShortText&)>& chainIndex) {
    const bool bond = m_bond;
    const Partner partners[2] = {m_partners[0], m_partners[1]};
    m_bond = false;
    m_partners[0] = m_partners[1] = Partner();
    if (!bond)
        return;
    Key keys[2];
    for (int i = 0; i < 2; ++i) {
        const Partner& p = partners[i];
        if (p.otherImage || !p.atom.Given() || p.atom.length > Key::kNameChars)
            return;
        keys[i].chain = chainIndex(cif::Preferred(p.authAsym, p.labelAsym));
        keys[i].resSeq = p.hasAuthSeq ? p.authSeq : (p.hasLabelSeq ? p.labelSeq : 0);
        keys[i].insCode = p.insCode;
        keys[i].altId = p.altId;
        std::memcpy(keys[i].name, p.atom.text, static_cast<std::size_t>(p.atom.length) + 1);
    }
    m_links.emplace_back(keys[0], keys[1]);
}

void MmcifLinks::AddConects(PdbFile& pdb, const std::vector<AtomPlace>& places) const {
    const std::vector<PdbRecord>& records = pdb.records;
    if (m_links.empty() || records.empty())
        return;
    std::unordered_map<Key, int, KeyHash> found; // partner → record index, -1 until found
    for (const auto& [a, b] : m_links) {
        found.emplace(a, -1);
        found.emplace(b, -1);
    }
    const int firstModel = records.front().model;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const PdbRecord& r = records[i];
        if (r.model != firstModel)
            continue;
        Key key;
        key.chain = places[i].chain;
        key.resSeq = r.resSeq;
        key.insCode = places[i].insCode;
        std::strcpy(key.name, r.atomName);
        for (const char alt : {places[i].altId, '\0'}) {
            key.altId = alt;
            const auto it = found.find(key);
            if (it != found.end() && it->second < 0)
                it->second = static_cast<int>(i);
        }
    }
    std::vector<std::pair<int, int>> halves; // (atom, partner) both ways, in link order
    for (const auto& [a, b] : m_links) {
        const int ia = found[a], ib = found[b];
        if (ia >= 0 && ib >= 0 && ia != ib) {
            halves.emplace_back(ia, ib);
            halves.emplace_back(ib, ia);
        }
    }
    std::stable_sort(halves.begin(), halves.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    for (std::size_t k = 0; k < halves.size(); ++k) {
        if (k == 0 || halves[k].first != halves[k - 1].first) {
            pdb.conects.emplace_back();
            pdb.conects.back().owner = records[std::size_t(halves[k].first)].serial;
        }
        pdb.conects.back().bonded.Append(records[std::size_t(halves[k].second)].serial);
    }
}

} // namespace vorn
