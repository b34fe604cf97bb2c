// The "Molecule Selection" window.
#include "app/dialogs/MoleculeSelectionDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vorn {

namespace {

// The request codes the view carries out (CVornView::MoleculeRequest).
constexpr int kDelete = 1049, kMakePrimary = 1050, kToggleFixed = 1051, kToggleSelection = 1052,
              kDuplicate = 1053;

QString StatusText(const MoleculeRow& row) {
    if (row.primary)
        return row.fixed ? "Primary, Fixed" : "Primary, Free";
    return row.fixed ? "Fixed" : "Free";
}

} // namespace

MoleculeSelectionDialog::MoleculeSelectionDialog(QWidget* parent)
    : QDialog(parent), m_table(new QTableWidget(0, 5, this)) {
    setWindowTitle("Molecule Selection");
    m_table->setHorizontalHeaderLabels({"Molecule", "Status", "Selected", "Atoms", "Frames"});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QHBoxLayout;
    const std::pair<const char*, int> commands[] = {{"Delete", kDelete},
                                                    {"Duplicate", kDuplicate},
                                                    {"Toggle Fixed/Free", kToggleFixed},
                                                    {"Make Primary", kMakePrimary},
                                                    {"Toggle Selection", kToggleSelection}};
    for (const auto& [label, code] : commands) {
        auto* button = new QPushButton(label, this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, code = code] {
            const std::vector<int> rows = SelectedRows();
            if (rows.empty())
                return;
            // The rows of deleted molecules go; their positions must not select the next ones.
            if (code == kDelete)
                m_table->clearSelection();
            emit request(code, rows);
        });
        buttons->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
    resize(620, 260);
}

void MoleculeSelectionDialog::Refresh(const std::vector<MoleculeRow>& rows) {
    const std::vector<int> selected = SelectedRows();
    m_table->clearSelection();
    m_table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const MoleculeRow& row = rows[static_cast<size_t>(r)];
        const QString cells[5] = {
            QString::asprintf("%d) ", r + 1) + QString::fromStdString(row.name), StatusText(row),
            row.active ? "X" : " ", QString::asprintf("%d", row.atoms),
            QString::asprintf("%d", row.frames)};
        for (int c = 0; c < 5; ++c)
            m_table->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    for (int r : selected)
        if (r < m_table->rowCount())
            m_table->selectionModel()->select(m_table->model()->index(r, 0),
                                              QItemSelectionModel::Select |
                                                  QItemSelectionModel::Rows);
}

std::vector<int> MoleculeSelectionDialog::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace vorn
