// The "Select Alignment Atoms" window: atoms of two molecules paired in order, "Align B to A" and
// "RMSD".
#pragma once

#include "app/dialogs/SelectAtomsDialog.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;

namespace vorn {

// What the window asks of the viewer. Molecules are named by an identity that stays while the
// molecule is in the document (its place in the list may change).
struct AlignmentRequests {
    struct MoleculeName {
        quintptr id;
        std::string name;
    };
    std::function<std::vector<MoleculeName>()> molecules;
    std::function<std::vector<AtomEntry>(quintptr molecule)> atoms;
    // Moves B onto A by the pairs and gives their RMSD afterwards; raises VornError.
    std::function<double(quintptr a, quintptr b, const std::vector<int>& listA,
                         const std::vector<int>& listB, bool mass)>
        align;
    std::function<double(quintptr a, quintptr b, const std::vector<int>& listA,
                         const std::vector<int>& listB, bool mass)>
        rmsd;
    std::function<void(const std::string& message)> showMessage;
};

class AlignmentDialog : public QDialog {
    Q_OBJECT
public:
    explicit AlignmentDialog(AlignmentRequests requests, QWidget* parent = nullptr);

    // The molecule list changed: the choosers follow; a side whose molecule left is emptied.
    void RefreshMolecules();
    // A molecule moved or changed: a displayed RMSD is computed again.
    void MoleculesMoved();

    // Appends atoms (indices) to a side's list, as the atom picker's OK does.
    void AddAtoms(int side, const std::vector<int>& atoms);
    void ChooseMolecule(int side, int position);
    void Align();
    void Rmsd();
    QString Result() const;
    QTableWidget* Pairs() { return m_pairs; }

private:
    struct Side {
        quintptr molecule = 0;
        std::vector<int> atoms; // in pair order
        std::vector<AtomEntry> entries;
        QComboBox* chooser = nullptr;
    };
    void Pick(int side);
    void Delete(int side);
    void ListChanged();
    void FillPairs();
    bool CheckPairs(bool aligning);
    QString EntryText(const Side& side, int row) const;

    AlignmentRequests m_requests;
    Side m_sides[2];
    QTableWidget* m_pairs;
    QLabel* m_result;
    QCheckBox* m_mass;
    QCheckBox* m_autoUpdate;
    bool m_rmsdShown = false;
};

} // namespace vorn
