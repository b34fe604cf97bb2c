// The "Select Atoms" window: a multiple-selection list of a molecule's atoms, shown all, heavy
// atoms only or alpha carbons only.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;
class QRadioButton;

namespace vorn {

// One atom as the list shows it.
struct AtomEntry {
    int index = 0; // in the molecule's atom array
    int serial = 0;
    std::string name;
    std::string resName;
    int resSeq = 0;
    bool hydrogen = false;
};

struct Molecule;

// The atoms of a molecule as the list shows them, in atom order.
std::vector<AtomEntry> AtomEntries(const Molecule& mol);

class SelectAtomsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SelectAtomsDialog(std::vector<AtomEntry> atoms, QWidget* parent = nullptr);

    enum Filter { kAllAtoms, kHeavyAtoms, kAlphaCarbons };
    void SetFilter(Filter filter);
    // The indices of the chosen atoms, in list order.
    std::vector<int> Selected() const;
    int ShownCount() const;

private:
    void Fill();

    std::vector<AtomEntry> m_atoms;
    Filter m_filter = kAllAtoms;
    QListWidget* m_list;
    QRadioButton* m_choices[3];
};

} // namespace vorn
