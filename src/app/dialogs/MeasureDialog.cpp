// The "Measure" window.
#include "app/dialogs/MeasureDialog.h"

#include "analysis/MeasureTable.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorn {

namespace {

const char* const kRows[5] = {"X", "Y", "Z", "Atom #", "Model #"};
const char* const kValues[6] = {"Bond AB",   "Bond BC",   "Bond CD",
                                "Angle ABC", "Angle BCD", "Torsion ABCD"};

QLabel* Cell(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setMinimumWidth(72);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString Fixed(double value) {
    return QString::asprintf("%.3f", value);
}

} // namespace

MeasureDialog::MeasureDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Measure");
    auto* grid = new QGridLayout;
    const char* const atoms[4] = {"Atom A", "Atom B", "Atom C", "Atom D"};
    for (int a = 0; a < 4; ++a)
        grid->addWidget(new QLabel(atoms[a], this), 0, a + 1, Qt::AlignHCenter);
    for (int r = 0; r < 5; ++r) {
        grid->addWidget(new QLabel(kRows[r], this), r + 1, 0);
        for (int a = 0; a < 4; ++a) {
            m_cells[r][a] = Cell(this);
            grid->addWidget(m_cells[r][a], r + 1, a + 1);
        }
    }
    auto* values = new QGridLayout;
    for (int v = 0; v < 6; ++v) {
        m_values[v] = Cell(this);
        values->addWidget(new QLabel(kValues[v], this), v % 3, 2 * (v / 3));
        values->addWidget(m_values[v], v % 3, 2 * (v / 3) + 1);
    }
    auto* clear = new QPushButton("Clear", this);
    auto* close = new QPushButton("Close", this);
    for (QPushButton* b : {clear, close})
        b->setAutoDefault(false);
    connect(clear, &QPushButton::clicked, this, &MeasureDialog::clearRequested);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(clear);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(values);
    layout->addLayout(buttons);
}

void MeasureDialog::Refresh(const MeasureTable& table) {
    const int n = table.Count();
    for (int a = 0; a < 4; ++a) {
        const bool picked = a < n;
        m_cells[0][a]->setText(picked ? Fixed(table.x(a)) : QString());
        m_cells[1][a]->setText(picked ? Fixed(table.y(a)) : QString());
        m_cells[2][a]->setText(picked ? Fixed(table.z(a)) : QString());
        m_cells[3][a]->setText(picked ? QString::asprintf("%d", table.Id(a)) : QString());
        m_cells[4][a]->setText(picked ? QString::asprintf("%d", table.Model(a)) : QString());
    }
    for (int b = 0; b < 3; ++b)
        m_values[b]->setText(b + 1 < n ? Fixed(table.Bond(b)) : QString());
    for (int g = 0; g < 2; ++g)
        m_values[3 + g]->setText(g + 2 < n ? Fixed(table.Angle(g)) : QString());
    m_values[5]->setText(n == 4 ? Fixed(table.Torsion()) : QString());
}

QString MeasureDialog::Text(const QString& row, int atom) const {
    for (int r = 0; r < 5; ++r)
        if (row == kRows[r])
            return m_cells[r][atom]->text();
    for (int v = 0; v < 6; ++v)
        if (row == kValues[v])
            return m_values[v]->text();
    return {};
}

} // namespace vorn
