// The "Select Alignment Atoms" window.
#include "app/dialogs/AlignmentDialog.h"

#include "core/VornError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace vorn {

AlignmentDialog::AlignmentDialog(AlignmentRequests requests, QWidget* parent)
    : QDialog(parent), m_requests(std::move(requests)), m_pairs(new QTableWidget(0, 2, this)),
      m_result(new QLabel("RMSD = --", this)), m_mass(new QCheckBox("Use Mass Weighting", this)),
      m_autoUpdate(new QCheckBox("Auto Update RMSD", this)) {
    setWindowTitle("Select Alignment Atoms");
    auto* grid = new QGridLayout;
    const char* const names[2] = {"Molecule A", "Molecule B"};
    for (int s = 0; s < 2; ++s) {
        Side& side = m_sides[s];
        side.chooser = new QComboBox(this);
        side.chooser->setMinimumWidth(180);
        auto* add = new QPushButton("Add ...", this);
        auto* remove = new QPushButton("Delete", this);
        for (QPushButton* b : {add, remove})
            b->setAutoDefault(false);
        connect(add, &QPushButton::clicked, this, [this, s] { Pick(s); });
        connect(remove, &QPushButton::clicked, this, [this, s] { Delete(s); });
        connect(side.chooser, QOverload<int>::of(&QComboBox::activated), this,
                [this, s](int position) { ChooseMolecule(s, position); });
        grid->addWidget(new QLabel(names[s], this), 0, s * 3);
        grid->addWidget(side.chooser, 1, s * 3, 1, 3);
        grid->addWidget(add, 2, s * 3);
        grid->addWidget(remove, 2, s * 3 + 1);
    }
    m_pairs->setHorizontalHeaderLabels({"A", "B"});
    m_pairs->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pairs->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pairs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pairs->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_mass->setChecked(true);
    m_autoUpdate->setChecked(true);
    auto* align = new QPushButton("Align B to A", this);
    auto* rmsd = new QPushButton("RMSD", this);
    auto* close = new QPushButton("Close", this);
    for (QPushButton* b : {align, rmsd, close})
        b->setAutoDefault(false);
    connect(align, &QPushButton::clicked, this, &AlignmentDialog::Align);
    connect(rmsd, &QPushButton::clicked, this, &AlignmentDialog::Rmsd);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_mass);
    checks->addWidget(m_autoUpdate);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(align);
    buttons->addWidget(rmsd);
    buttons->addWidget(m_result, 1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_pairs, 1);
    layout->addLayout(checks);
    layout->addLayout(buttons);
    resize(520, 420);
    RefreshMolecules();
}

void AlignmentDialog::RefreshMolecules() {
    const std::vector<AlignmentRequests::MoleculeName> molecules = m_requests.molecules();
    for (int s = 0; s < 2; ++s) {
        Side& side = m_sides[s];
        const QSignalBlocker quiet(side.chooser);
        side.chooser->clear();
        int chosen = -1;
        for (size_t m = 0; m < molecules.size(); ++m) {
            side.chooser->addItem(QString::asprintf("%d) ", int(m) + 1) +
                                  QString::fromStdString(molecules[m].name));
            if (molecules[m].id == side.molecule)
                chosen = static_cast<int>(m);
        }
        if (chosen < 0 && !molecules.empty()) {
            // The first molecule for A and the second (or the first) for B to start with, and
            // whenever a side's molecule has left the document.
            chosen = (s == 1 && molecules.size() > 1) ? 1 : 0;
            side.molecule = molecules[static_cast<size_t>(chosen)].id;
            side.atoms.clear();
            side.entries = m_requests.atoms(side.molecule);
        } else if (chosen < 0) {
            side = Side{0, {}, {}, side.chooser};
        }
        side.chooser->setCurrentIndex(chosen);
    }
    ListChanged();
}

void AlignmentDialog::ChooseMolecule(int side, int position) {
    const std::vector<AlignmentRequests::MoleculeName> molecules = m_requests.molecules();
    if (position < 0 || position >= static_cast<int>(molecules.size()))
        return;
    Side& s = m_sides[side];
    const quintptr id = molecules[static_cast<size_t>(position)].id;
    s.chooser->setCurrentIndex(position);
    if (id == s.molecule)
        return;
    s.molecule = id;
    s.atoms.clear();
    s.entries = m_requests.atoms(id);
    ListChanged();
}

// The atom picker offers the atoms not listed yet, each once.
void AlignmentDialog::Pick(int side) {
    Side& s = m_sides[side];
    if (!s.molecule)
        return;
    const std::set<int> listed(s.atoms.begin(), s.atoms.end());
    std::vector<AtomEntry> offered;
    for (const AtomEntry& e : s.entries)
        if (!listed.count(e.index))
            offered.push_back(e);
    SelectAtomsDialog picker(offered, this);
    if (picker.exec() == QDialog::Accepted)
        AddAtoms(side, picker.Selected());
}

void AlignmentDialog::AddAtoms(int side, const std::vector<int>& atoms) {
    Side& s = m_sides[side];
    for (int atom : atoms)
        if (std::find(s.atoms.begin(), s.atoms.end(), atom) == s.atoms.end())
            s.atoms.push_back(atom);
    ListChanged();
}

void AlignmentDialog::Delete(int side) {
    std::vector<int> rows;
    for (const QModelIndex& index : m_pairs->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (rows.empty()) {
        m_requests.showMessage("Please select at least one atom for deletion");
        return;
    }
    std::vector<int>& atoms = m_sides[side].atoms;
    std::sort(rows.rbegin(), rows.rend());
    for (int row : rows)
        if (row < static_cast<int>(atoms.size()))
            atoms.erase(atoms.begin() + row);
    m_pairs->clearSelection();
    ListChanged();
}

void AlignmentDialog::ListChanged() {
    m_rmsdShown = false;
    FillPairs();
}

QString AlignmentDialog::EntryText(const Side& side, int row) const {
    if (row >= static_cast<int>(side.atoms.size()))
        return {};
    const int atom = side.atoms[static_cast<size_t>(row)];
    for (const AtomEntry& e : side.entries)
        if (e.index == atom)
            return QString::asprintf("%d:%s:%s%d", e.serial, e.name.c_str(), e.resName.c_str(),
                                     e.resSeq);
    return {};
}

void AlignmentDialog::FillPairs() {
    const int rows = static_cast<int>(std::max(m_sides[0].atoms.size(), m_sides[1].atoms.size()));
    m_pairs->setRowCount(rows);
    for (int r = 0; r < rows; ++r)
        for (int s = 0; s < 2; ++s)
            m_pairs->setItem(r, s, new QTableWidgetItem(EntryText(m_sides[s], r)));
}

// The checks of both commands, in their order; false after showing why not.
bool AlignmentDialog::CheckPairs(bool aligning) {
    m_rmsdShown = false;
    const std::vector<int>&a = m_sides[0].atoms, &b = m_sides[1].atoms;
    const char* refusal = nullptr;
    if (!m_sides[0].molecule || m_sides[0].molecule == m_sides[1].molecule)
        refusal = "Please select two DIFFERENT molecules!";
    else if (a.size() != b.size())
        refusal = "Please select the same number of atoms from both molecules";
    else if (aligning && a.size() < 3)
        refusal = "Please select at least three atoms from  each molecule";
    else if (a.empty())
        refusal = "Please select at least one atom from  each molecule";
    if (refusal)
        m_requests.showMessage(refusal);
    return refusal == nullptr;
}

void AlignmentDialog::Align() {
    if (!CheckPairs(true))
        return;
    try {
        const double rmsd =
            m_requests.align(m_sides[0].molecule, m_sides[1].molecule, m_sides[0].atoms,
                             m_sides[1].atoms, m_mass->isChecked());
        m_result->setText(QString::asprintf("RMSD = %.3f", rmsd));
        m_rmsdShown = true;
    } catch (const VornError& e) {
        m_requests.showMessage(e.what());
    } catch (const std::exception&) {
        m_requests.showMessage(
            "Yiikes! An unspecified error has occured while performing the alignment");
    }
}

void AlignmentDialog::Rmsd() {
    if (!CheckPairs(false))
        return;
    const double rmsd = m_requests.rmsd(m_sides[0].molecule, m_sides[1].molecule, m_sides[0].atoms,
                                        m_sides[1].atoms, m_mass->isChecked());
    m_result->setText(QString::asprintf("RMSD = %.3f", rmsd));
    m_rmsdShown = true;
}

void AlignmentDialog::MoleculesMoved() {
    if (m_rmsdShown)
        Rmsd();
}

QString AlignmentDialog::Result() const {
    return m_result->text();
}

} // namespace vorn
