// The sequence window.
#include "app/dialogs/SequenceDialog.h"

#include "app/dialogs/ColorDialog.h"
#include "appearance/ColorScheme.h"
#include "document/VornDoc.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vorn {

namespace {

const char kNoMolecule[] = "NULL mol pointer in sequence dialog!";

QString ResidueText(const Residue& residue) {
    const int type =
        (residue.type >= 0 && residue.type < kResidueTypeCount) ? residue.type : kUnknownResidue;
    return QString::asprintf("%s %d", kResidueTypeNames[type], residue.number);
}

// The short name of the structure code; a residue never assigned one shows nothing.
QString StructureText(const Residue& residue) {
    const int code = (residue.structure >= 0 && residue.structure < kStructureCodeCount)
                         ? residue.structure
                         : kNotAssigned;
    return kStructureShortNames[code];
}

} // namespace

bool FindResidueByRow(const Molecule& mol, int row, int& chainIndex, int& residueIndex) {
    if (row < 0)
        return false;
    for (int c = 0; c < static_cast<int>(mol.chains.size()); ++c) {
        const int count = static_cast<int>(mol.chains[c].residues.size());
        if (row < count) {
            chainIndex = c;
            residueIndex = row;
            return true;
        }
        row -= count;
    }
    return false;
}

int ResidueColorAtom(const Molecule& mol, const Residue& residue) {
    if (residue.caIndex >= 0 && residue.caIndex < mol.AtomCount())
        return residue.caIndex;
    for (int index : residue.atoms)
        if (index >= 0 && index < mol.AtomCount())
            return index;
    return -1;
}

std::string ColorSequenceRows(Molecule* mol, const std::vector<int>& rows, Rgba color) {
    if (!mol)
        return kNoMolecule;
    bool all = true;
    for (int row : rows) {
        int chain = 0, residue = 0;
        if (!FindResidueByRow(*mol, row, chain, residue)) {
            all = false;
            continue;
        }
        for (int index : mol->chains[chain].residues[residue].atoms)
            if (index >= 0 && index < mol->AtomCount())
                mol->atoms[index].color = color;
    }
    UpdateBondSplit(*mol);
    return all ? "" : "Failed to find all selected residues!";
}

SequenceDialog::SequenceDialog(const CVornDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_table(new QTableWidget(0, 4, this)) {
    setWindowTitle("Sequence");
    m_table->setHorizontalHeaderLabels({"Residue", "Chain", "Model", "Sec Struct"});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    auto* color = new QPushButton("Color ...", this);
    auto* close = new QPushButton("Close", this);
    for (QPushButton* b : {color, close})
        b->setAutoDefault(false);
    connect(color, &QPushButton::clicked, this, &SequenceDialog::ChooseColor);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(color);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
    resize(420, 480);
    FillSequenceList();
}

void SequenceDialog::FillSequenceList() {
    m_table->clearSelection();
    m_table->setRowCount(0);
    const Molecule* mol = m_doc.primary;
    if (!mol)
        return;
    m_table->setRowCount(mol->ResidueCount());
    int row = 0;
    for (const Chain& chain : mol->chains) {
        for (const Residue& residue : chain.residues) {
            const QString cells[4] = {ResidueText(residue), QString(QChar::fromLatin1(chain.id)),
                                      QString::asprintf("%d", chain.model), StructureText(residue)};
            for (int c = 0; c < 4; ++c)
                m_table->setItem(row, c, new QTableWidgetItem(cells[c]));
            ++row;
        }
    }
    // Once, after the rows: sizing the columns as each row arrives is slow for long lists.
    m_table->resizeColumnsToContents();
}

std::vector<int> SequenceDialog::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The picker starts from the alpha carbon of the first selected residue (white with none
// selected); each of its colours goes to the residues selected at that moment.
void SequenceDialog::ChooseColor() {
    QColor start(255, 255, 255, 255);
    const std::vector<int> rows = SelectedRows();
    if (!rows.empty()) {
        const Molecule* mol = m_doc.primary;
        int chain = 0, residue = 0;
        if (!mol) {
            QMessageBox::warning(this, "Vorn", kNoMolecule);
            return;
        }
        if (!FindResidueByRow(*mol, rows.front(), chain, residue)) {
            QMessageBox::warning(this, "Vorn",
                                 "Couldn't find selected residue! What trickery is this?");
            return;
        }
        const int atom = ResidueColorAtom(*mol, mol->chains[chain].residues[residue]);
        if (atom >= 0) {
            const Rgba c = mol->atoms[atom].color;
            start = QColor(c.r, c.g, c.b, c.a);
        }
    }
    if (!m_picker) {
        m_picker = new ColorDialog(this);
        m_picker->setAttribute(Qt::WA_DeleteOnClose);
        const auto chosen = [this](int, const QColor& c) { emit colorChosen(SelectedRows(), c); };
        connect(m_picker, &ColorDialog::applied, this, chosen);
        connect(m_picker, &ColorDialog::accepted, this, chosen);
    }
    m_picker->SetColor(0, start, true);
    m_picker->show();
    m_picker->raise();
}

} // namespace vorn
