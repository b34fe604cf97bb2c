// Assigns secondary-structure codes to residues from the geometry of their alpha carbons alone.
#pragma once

#include "core/Vec3.h"

#include <vector>

namespace vorn {

class UiHost;
struct Chain;
struct Molecule;

// A point in Å, double precision (alpha-carbon coordinates are widened from float).
using CaPoint = Vec3;

// Virtual-bond geometry around residue i of a chain. The defaults mark values that could not be
// computed; they lie outside every acceptance interval, so they never qualify.
struct CaGeometry {
    double dihedral = 500.0; // torsion CA(i-1), CA(i), CA(i+1), CA(i+2), degrees
    double angle = 500.0;    // at CA(i) between CA(i-1) and CA(i+1), degrees
    double d2 = -1.0;        // |CA(i-1) - CA(i+1)|, Å
    double d3 = -1.0;        // |CA(i-1) - CA(i+2)|, Å
    double d4 = -1.0;        // |CA(i-1) - CA(i+3)|, Å
};

// Rewrites the code of every residue of every chain: nucleic chains (first residue a
// nucleotide) get kNucleicHelix throughout, the others run AssignProteinChain. On a failure the
// message is shown through ui (may be null), chains already done keep their codes, and the
// result is false.
bool AssignSecondaryStructure(Molecule& mol, UiHost* ui);

// Helix, strand, then turn and bulge passes over one protein chain; chains under four residues
// end all coil.
void AssignProteinChain(Molecule& mol, Chain& chain);

// One record per residue of the chain, from a six-residue window CA(i-1) .. CA(i+4).
std::vector<CaGeometry> ComputeCaGeometry(const Molecule& mol, const Chain& chain);

// The passes of AssignProteinChain, in its order; geometry holds one record per residue.
void AssignHelices(const std::vector<CaGeometry>& geometry, Chain& chain);
void AssignStrands(const Molecule& mol, const std::vector<CaGeometry>& geometry, Chain& chain);
void AssignTurnsAndBulges(const std::vector<CaGeometry>& geometry, Chain& chain);

// True when more than four residues at least four positions away from the run k .. k+len-1,
// not helical and not of strand-like angle, lie 4.25 to 5.25 Å from an alpha carbon of the run.
bool HasSheetContacts(const Molecule& mol, const Chain& chain,
                      const std::vector<CaGeometry>& geometry, int k, int len);

bool IsHelical(const CaGeometry& g);
bool IsExtended(const CaGeometry& g);

// Angle at p between a and b, degrees from 0 to 180 (a straight angle reads 180.000005, from the
// single-precision pi); 500 when a or b coincides with p.
double VirtualAngle(const CaPoint& p, const CaPoint& a, const CaPoint& b);
// Signed torsion p0-p1-p2-p3, degrees in [-180, 180]; 500 when three consecutive points are
// collinear.
double VirtualDihedral(const CaPoint& p0, const CaPoint& p1, const CaPoint& p2, const CaPoint& p3);

} // namespace vorn
