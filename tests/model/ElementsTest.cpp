// Element and residue-type rules on atom and residue names.
#include "model/Elements.h"

#include <gtest/gtest.h>
#include <utility>

namespace vorn {

namespace {

TEST(ElementOfAtomName, FirstLetterAfterLeadingNonLettersDecides) {
    // "CA" is an alpha carbon, never calcium; names without a letter, with an unknown one or in
    // lower case (rules are on upper-case letters) are carbon.
    const std::pair<const char*, int> cases[] = {
        {"1HB", kHydrogen}, {"CL", kChlorine}, {"CA", kCarbon},  {"NA", kSodium},
        {"NZ", kNitrogen},  {"FE", kIron},     {"ZN", kZinc},    {"D", kUnknownElement},
        {"MG", kMagnesium}, {"SG", kSulfur},   {"I", kIodine},   {"K", kPotassium},
        {"P", kPhosphorus}, {"O5*", kOxygen},  {"123", kCarbon}, {"", kCarbon},
        {"XE", kCarbon},    {"cl", kCarbon}};
    for (const auto& [name, element] : cases)
        EXPECT_EQ(ElementOfAtomName(name), element) << name;
}

// The letters decide in order ("HOH" is histidine, "AS" asparagine: its third letter is not P);
// today's nucleotide names (DA ... DU, RA, ADE ...) too.
TEST(ResidueTypeOfName, LettersDecideInOrderAndTodaysNucleotideNames) {
    const int unknown = kUnknownResidue;
    const std::pair<const char*, int> cases[] = {
        {"ASN", kAsn}, {"ASP", kAsp}, {"ALA", kAla}, {"ARG", kArg},   {"HOH", kHis},
        {"glu", kGlu}, {"GLY", kGly}, {"GLN", kGln}, {"THR", kThr},   {"TYR", kTyr},
        {"TRP", kTrp}, {"CYS", kCys}, {"PHE", kPhe}, {"PRO", kPro},   {"LEU", kLeu},
        {"LYS", kLys}, {"AS", kAsn},  {"", unknown}, {"UNK", unknown}};
    const std::pair<const char*, int> nucleotides[] = {
        {"A", kNucleotideA},   {"G", kNucleotideG},   {"T", kNucleotideT},   {"C", kNucleotideC},
        {"U", kNucleotideU},   {"DA", kNucleotideA},  {"DC", kNucleotideC},  {"DG", kNucleotideG},
        {"DT", kNucleotideT},  {"DU", kNucleotideU},  {"dg", kNucleotideG},  {"ADE", kNucleotideA},
        {"CYT", kNucleotideC}, {"GUA", kNucleotideG}, {"THY", kNucleotideT}, {"URA", kNucleotideU},
        {"RA", kNucleotideA},  {"RU5", kNucleotideU}, {"DT3", kNucleotideT}, {"DAL", unknown},
        {"RT", unknown},       {"DA7", unknown},      {"D", unknown}};
    for (const auto& [name, type] : cases)
        EXPECT_EQ(ResidueTypeOfName(name), type) << name;
    for (const auto& [name, type] : nucleotides)
        EXPECT_EQ(ResidueTypeOfName(name), type) << name;
}

TEST(IsPrimedName, StarOrApostrophe) {
    EXPECT_TRUE(IsPrimedName("C3*", "C3"));
    EXPECT_TRUE(IsPrimedName("C3'", "C3"));
    EXPECT_FALSE(IsPrimedName("C3", "C3"));
    EXPECT_FALSE(IsPrimedName("C3''", "C3"));
    EXPECT_FALSE(IsPrimedName("C5'", "C3"));
}

} // namespace

} // namespace vorn
