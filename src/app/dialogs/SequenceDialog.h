// The sequence window: the residues of the primary molecule with their chain, model and secondary
// structure, and the recolouring of the residues chosen in the list.
#pragma once

#include "model/Molecule.h"

#include <QColor>
#include <QDialog>
#include <QPointer>

#include <string>
#include <vector>

class QTableWidget;

namespace vorn {

class ColorDialog;
class CVornDoc;

// Rows of the list are residues by their running index over all chains in order. Finds the
// residue of a row; false when the molecule has no such row.
bool FindResidueByRow(const Molecule& mol, int row, int& chainIndex, int& residueIndex);
// The atom whose colour stands for a residue: its alpha carbon, or its first atom when it has none;
// -1 for a residue without atoms.
int ResidueColorAtom(const Molecule& mol, const Residue& residue);
// Gives every atom of the rows' residues the colour, the residues that exist even when a row has
// none, and updates the bond splits. Returns the message to show: a missing molecule or a row
// without residue; "" when all went well.
std::string ColorSequenceRows(Molecule* mol, const std::vector<int>& rows, Rgba color);

class SequenceDialog : public QDialog {
    Q_OBJECT
public:
    // Lists the residues of the document's primary molecule; it changes nothing itself.
    explicit SequenceDialog(const CVornDoc& doc, QWidget* parent = nullptr);

    // Clears and refills the list from the primary molecule (empty without one).
    void FillSequenceList();
    std::vector<int> SelectedRows() const; // ascending

signals:
    // The picker's live changes and its final choice, for the rows selected.
    void colorChosen(const std::vector<int>& rows, const QColor& color);

private:
    void ChooseColor();

    const CVornDoc& m_doc;
    QTableWidget* m_table;
    QPointer<ColorDialog> m_picker;
};

} // namespace vorn
