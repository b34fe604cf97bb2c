// The "Measure" window: the coordinates, serial and model numbers of up to four picked atoms, the
// distances between them, the two angles and the torsion.
#pragma once

#include <QDialog>

class QLabel;

namespace vorn {

class MeasureTable;

class MeasureDialog : public QDialog {
    Q_OBJECT
public:
    explicit MeasureDialog(QWidget* parent = nullptr);

    // Shows what the table holds; empty cells for atoms not picked and values not defined.
    void Refresh(const MeasureTable& table);
    // The text of a cell: row "X", "Y", "Z", "Atom #" or "Model #" of atom 0 to 3, or a value
    // "Bond AB", "Bond BC", "Bond CD", "Angle ABC", "Angle BCD", "Torsion ABCD".
    QString Text(const QString& row, int atom = 0) const;

signals:
    void clearRequested();

private:
    QLabel* m_cells[5][4];
    QLabel* m_values[6];
};

} // namespace vorn
