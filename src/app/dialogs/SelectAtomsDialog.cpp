// The "Select Atoms" window.
#include "app/dialogs/SelectAtomsDialog.h"

#include "app/dialogs/DialogParts.h"
#include "model/Molecule.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vorn {

std::vector<AtomEntry> AtomEntries(const Molecule& mol) {
    std::vector<AtomEntry> entries;
    entries.reserve(mol.atoms.size());
    for (int i = 0; i < mol.AtomCount(); ++i) {
        const Atom& a = mol.atoms[static_cast<size_t>(i)];
        entries.push_back({i, a.serial, a.name, a.resName, a.resSeq, a.element == kHydrogen});
    }
    return entries;
}

SelectAtomsDialog::SelectAtomsDialog(std::vector<AtomEntry> atoms, QWidget* parent)
    : QDialog(parent), m_atoms(std::move(atoms)), m_list(new QListWidget(this)) {
    setWindowTitle("Select Atoms");
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    const char* const labels[3] = {"Show All Atoms", "Show Only Heavy Atoms",
                                   "Show Only Alpha Carbons"};
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    for (int f = 0; f < 3; ++f) {
        m_choices[f] = new QRadioButton(labels[f], this);
        connect(m_choices[f], &QRadioButton::toggled, this, [this, f](bool on) {
            if (on)
                SetFilter(static_cast<Filter>(f));
        });
        layout->addWidget(m_choices[f]);
    }
    layout->addWidget(OkCancel(this));
    m_choices[kAllAtoms]->setChecked(true);
    Fill();
    resize(320, 420);
}

void SelectAtomsDialog::SetFilter(Filter filter) {
    m_filter = filter;
    m_choices[filter]->setChecked(true);
    Fill();
}

// Each entry "%d:%s:%s%d": serial, atom name, residue name, residue number.
void SelectAtomsDialog::Fill() {
    m_list->clear();
    for (const AtomEntry& a : m_atoms) {
        if ((m_filter == kHeavyAtoms && a.hydrogen) ||
            (m_filter == kAlphaCarbons && a.name != "CA"))
            continue;
        auto* item = new QListWidgetItem(
            QString::asprintf("%d:%s:%s%d", a.serial, a.name.c_str(), a.resName.c_str(), a.resSeq),
            m_list);
        item->setData(Qt::UserRole, a.index);
    }
}

std::vector<int> SelectAtomsDialog::Selected() const {
    std::vector<int> atoms;
    for (int row = 0; row < m_list->count(); ++row)
        if (m_list->item(row)->isSelected())
            atoms.push_back(m_list->item(row)->data(Qt::UserRole).toInt());
    return atoms;
}

int SelectAtomsDialog::ShownCount() const {
    return m_list->count();
}

} // namespace vorn
