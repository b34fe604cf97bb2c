// The "Molecule Selection" window: the document's molecules in a list, and the buttons that
// delete, duplicate, fix or free, make primary and select them.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QTableWidget;

namespace vorn {

// What a row shows of one molecule.
struct MoleculeRow {
    std::string name;
    bool primary = false;
    bool fixed = false;
    bool active = false;
    int atoms = 0;
    int frames = 0;
};

class MoleculeSelectionDialog : public QDialog {
    Q_OBJECT
public:
    explicit MoleculeSelectionDialog(QWidget* parent = nullptr);

    // One row per molecule in list order; the selected rows stay selected where they still exist.
    void Refresh(const std::vector<MoleculeRow>& rows);
    std::vector<int> SelectedRows() const;

signals:
    // A request code of CVornView::MoleculeRequest for the selected rows.
    void request(int code, const std::vector<int>& rows);

private:
    QTableWidget* m_table;
};

} // namespace vorn
