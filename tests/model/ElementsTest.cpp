// Element and residue-type rules on atom and residue names.
#include "model/Elements.h"

#include <gtest/gtest.h>

namespace vorn {

namespace {

TEST(ElementOfAtomName, FirstLetterAfterLeadingNonLettersDecides) {
    EXPECT_EQ(ElementOfAtomName("1HB"), kHydrogen);
    EXPECT_EQ(ElementOfAtomName("CL"), kChlorine);
    EXPECT_EQ(ElementOfAtomName("CA"), kCarbon); // alpha carbon, never calcium
    EXPECT_EQ(ElementOfAtomName("NA"), kSodium);
    EXPECT_EQ(ElementOfAtomName("NZ"), kNitrogen);
    EXPECT_EQ(ElementOfAtomName("FE"), kIron);
    EXPECT_EQ(ElementOfAtomName("ZN"), kZinc);
    EXPECT_EQ(ElementOfAtomName("D"), kUnknownElement);
    EXPECT_EQ(ElementOfAtomName("MG"), kMagnesium);
    EXPECT_EQ(ElementOfAtomName("SG"), kSulfur);
    EXPECT_EQ(ElementOfAtomName("I"), kIodine);
    EXPECT_EQ(ElementOfAtomName("K"), kPotassium);
    EXPECT_EQ(ElementOfAtomName("P"), kPhosphorus);
    EXPECT_EQ(ElementOfAtomName("O5*"), kOxygen);
    EXPECT_EQ(ElementOfAtomName("123"), kCarbon); // no letter at all
    EXPECT_EQ(ElementOfAtomName(""), kCarbon);
    EXPECT_EQ(ElementOfAtomName("XE"), kCarbon);
    EXPECT_EQ(ElementOfAtomName("cl"), kCarbon); // rules are on upper-case letters
}

TEST(ResidueTypeOfName, LettersDecideInOrder) {
    EXPECT_EQ(ResidueTypeOfName("ASN"), kAsn);
    EXPECT_EQ(ResidueTypeOfName("ASP"), kAsp);
    EXPECT_EQ(ResidueTypeOfName("ALA"), kAla);
    EXPECT_EQ(ResidueTypeOfName("ARG"), kArg);
    EXPECT_EQ(ResidueTypeOfName("A"), kNucleotideA);
    EXPECT_EQ(ResidueTypeOfName("HOH"), kHis);
    EXPECT_EQ(ResidueTypeOfName("glu"), kGlu);
    EXPECT_EQ(ResidueTypeOfName("GLY"), kGly);
    EXPECT_EQ(ResidueTypeOfName("GLN"), kGln);
    EXPECT_EQ(ResidueTypeOfName("G"), kNucleotideG);
    EXPECT_EQ(ResidueTypeOfName("THR"), kThr);
    EXPECT_EQ(ResidueTypeOfName("TYR"), kTyr);
    EXPECT_EQ(ResidueTypeOfName("TRP"), kTrp);
    EXPECT_EQ(ResidueTypeOfName("T"), kNucleotideT);
    EXPECT_EQ(ResidueTypeOfName("C"), kNucleotideC);
    EXPECT_EQ(ResidueTypeOfName("CYS"), kCys);
    EXPECT_EQ(ResidueTypeOfName("U"), kNucleotideU);
    EXPECT_EQ(ResidueTypeOfName("UNK"), kUnknownResidue);
    EXPECT_EQ(ResidueTypeOfName("PHE"), kPhe);
    EXPECT_EQ(ResidueTypeOfName("PRO"), kPro);
    EXPECT_EQ(ResidueTypeOfName("LEU"), kLeu);
    EXPECT_EQ(ResidueTypeOfName("LYS"), kLys);
    EXPECT_EQ(ResidueTypeOfName("AS"), kAsn); // third letter is not p
    EXPECT_EQ(ResidueTypeOfName(""), kUnknownResidue);
}

TEST(ResidueTypeOfName, TodaysNucleotideNames) {
    const struct {
        const char* name;
        int type;
    } kCases[] = {{"DA", kNucleotideA},    {"DC", kNucleotideC},     {"DG", kNucleotideG},
                  {"DT", kNucleotideT},    {"DU", kNucleotideU},     {"dg", kNucleotideG},
                  {"ADE", kNucleotideA},   {"CYT", kNucleotideC},    {"GUA", kNucleotideG},
                  {"THY", kNucleotideT},   {"URA", kNucleotideU},    {"RA", kNucleotideA},
                  {"RU5", kNucleotideU},   {"DT3", kNucleotideT},    {"DAL", kUnknownResidue},
                  {"RT", kUnknownResidue}, {"DA7", kUnknownResidue}, {"D", kUnknownResidue}};
    for (const auto& c : kCases)
        EXPECT_EQ(ResidueTypeOfName(c.name), c.type) << c.name;
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
