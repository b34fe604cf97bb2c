// The "About Vorn" box and the "Command Line Options" help window.
#pragma once

#include <QDialog>
#include <QString>

namespace vorn {

// Version, build date, the depths of the Z buffer and display, the renderer and the
// acknowledgement, filled when the box is built.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(int depthBits, int colorBits, const QString& renderer, QWidget* parent = nullptr);
};

// The help text of the command line in a read-only text area with an OK button.
class CommandLineHelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit CommandLineHelpDialog(QWidget* parent = nullptr);
};

// The program's version number as the About box shows it.
double VornVersion();

} // namespace vorn
