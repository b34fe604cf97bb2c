// The Atom Radius window: chooses the primary molecule's radius scheme and edits the radius of an
// element or of one atom.
#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;
class QRadioButton;

namespace vorn {

class CVornDoc;

class AtomRadiusDialog : public QDialog {
    Q_OBJECT
public:
    // Radii go from 0 to 100 Å; "Apply" and "OK" refuse a radius outside with a message.
    static constexpr float kMaxRadius = 100.0f;

    // Shows the primary molecule's scheme, element radii and atoms; it changes nothing itself.
    explicit AtomRadiusDialog(const CVornDoc& doc, QWidget* parent = nullptr);

    // Shows the scheme of the primary molecule as it is now (another may have become primary).
    void ShowScheme();

    QRadioButton* SchemeButton(int scheme) { return m_schemes[scheme]; } // by RadiusScheme
    QListWidget* ElementList() { return m_elements; }
    QLineEdit* RadiusField() { return m_radius; }
    QLineEdit* AtomField() { return m_atomNumber; }

signals:
    // A radio button was chosen: the molecule's scheme becomes it at once.
    void schemeChosen(int scheme);
    // "Apply", and "OK" before the window closes: the molecule's scheme is run with these.
    void applied(int element, int serial, float radius);

private:
    int Scheme() const;
    void SchemeClicked(int scheme);
    void Enable(int scheme);
    void ShowElementRadius();
    void ShowAtomRadius();
    bool Apply();

    const CVornDoc& m_doc;
    QRadioButton* m_schemes[5];
    QListWidget* m_elements;
    QLineEdit* m_radius;
    QLineEdit* m_atomNumber;
};

} // namespace vorn
