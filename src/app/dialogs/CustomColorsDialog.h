// The Custom Colors window: chooses a colour scheme for the primary molecule, edits the element
// and structure colour tables, and colours single atoms and residues.
#pragma once

#include "appearance/ColorScheme.h"

#include <QDialog>
#include <QPointer>

class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QWidget;

namespace vorn {

class ColorDialog;
class CVornDoc;

class CustomColorsDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the document's colour tables and the atoms of its primary molecule; it changes
    // nothing itself but asks for the scheme to be applied.
    explicit CustomColorsDialog(const CVornDoc& doc, QWidget* parent = nullptr);

    // The scheme, list entries, number and colour fields as they stand: what "Apply" applies,
    // and what is applied again when new temperature factors or occupancies arrive.
    ColorSchemeRequest Request() const;

    QLineEdit* ColorField(int k) { return m_fields[k]; } // 0 red, 1 green, 2 blue, 3 alpha
    QLineEdit* AtomField() { return m_atomNumber; }
    QLineEdit* ResidueField() { return m_residueNumber; }
    QListWidget* ElementList() { return m_elements; }
    QListWidget* StructureList() { return m_structures; }
    Rgba Saved() const { return m_saved; }

signals:
    // "Apply", "OK" (before the window closes) and "Apply Color".
    void applied(const ColorSchemeRequest& request);

private:
    int Scheme() const;
    void SchemeChosen();
    void ShowSchemeColor();
    void ShowAtomColor();
    void ShowResidueColor();
    void ShowColor(const Rgba& color);
    void ShowNoColor();
    void ShowSwatch();
    int FieldValue(int k) const;
    void SaveColor();
    void ApplySavedColor();
    void SelectColor();

    const CVornDoc& m_doc;
    Rgba m_saved{200, 200, 200, 255}; // "Save Color" keeps it while the window is open
    QRadioButton* m_schemes[kColorSchemeCount];
    QListWidget* m_elements;
    QListWidget* m_structures;
    QLineEdit* m_atomNumber;
    QLineEdit* m_residueNumber;
    QLineEdit* m_fields[4];
    QWidget* m_swatch;
    QPushButton* m_select;
    QPushButton* m_applySaved;
    QPointer<ColorDialog> m_picker;
};

} // namespace vorn
