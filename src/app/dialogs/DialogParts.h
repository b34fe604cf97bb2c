// Pieces the windows share: push buttons that Enter does not press, the OK/Cancel box, and the
// Apply, OK, Cancel row of the windows that apply their settings while they stay open.
#pragma once

#include <functional>

class QDialog;
class QDialogButtonBox;
class QHBoxLayout;
class QPushButton;
class QWidget;

namespace vorn {

// A push button that is never the default one, so Enter in a field does not press it.
QPushButton* Button(const char* label, QWidget* parent);

// OK accepts the dialog, Cancel rejects it.
QDialogButtonBox* OkCancel(QDialog* dialog);

// Apply, OK and Cancel at the right of a row. Apply calls apply; OK calls it and closes the
// dialog when it returns true (so a refused entry keeps the window open); Cancel rejects.
QHBoxLayout* ApplyOkCancel(QDialog* dialog, std::function<bool()> apply);

} // namespace vorn
