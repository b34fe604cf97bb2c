// The "Paste ASCII Text" window: where a column of pasted numbers goes in the current molecule.
#pragma once

#include "document/PasteColumn.h"

#include <QDialog>

#include <functional>
#include <string>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace vorn {

// What the window shows about the molecule and the clipboard.
struct PasteCounts {
    int atoms = 0;
    int alphaCarbons = 0;
    int inputs = 0;
};

class PasteDialog : public QDialog {
    Q_OBJECT
public:
    // refusal tells why a request cannot be pasted (empty when it can): OK shows it and the window
    // stays open.
    using Refusal = std::function<std::string(const PasteRequest&)>;
    PasteDialog(const PasteCounts& counts, Refusal refusal, QWidget* parent = nullptr);

    PasteRequest Request() const;

    QComboBox* TargetList() { return m_target; }
    QRadioButton* ModeButton(int mode); // by PasteMode
    QLineEdit* SerialField() { return m_serial; }
    QLineEdit* FirstField() { return m_first; }
    QLineEdit* LastField() { return m_last; }

    void accept() override;

private:
    void EnableFields();

    Refusal m_refusal;
    QComboBox* m_target;
    QButtonGroup* m_modes;
    QLineEdit* m_serial;
    QLineEdit* m_first;
    QLineEdit* m_last;
};

} // namespace vorn
