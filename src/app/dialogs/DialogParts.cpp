// Pieces the windows share.
#include "app/dialogs/DialogParts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>

namespace vorn {

QPushButton* Button(const char* label, QWidget* parent) {
    auto* button = new QPushButton(label, parent);
    button->setAutoDefault(false);
    return button;
}

QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QHBoxLayout* ApplyOkCancel(QDialog* dialog, std::function<bool()> apply) {
    auto* applyButton = Button("Apply", dialog);
    auto* ok = Button("OK", dialog);
    auto* cancel = Button("Cancel", dialog);
    QObject::connect(applyButton, &QPushButton::clicked, dialog, [apply] { apply(); });
    QObject::connect(ok, &QPushButton::clicked, dialog, [dialog, apply] {
        if (apply())
            dialog->accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(applyButton);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    return buttons;
}

} // namespace vorn
