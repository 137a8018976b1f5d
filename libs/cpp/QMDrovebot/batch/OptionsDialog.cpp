#include "OptionsDialog.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace QMDrovebot {

OptionsDialog::OptionsDialog(QWidget *parent)
    : QDialog(parent)
{
    m_lineEdit = new QLineEdit;
    auto *okButton = new QPushButton(QStringLiteral("Ok"));
    auto *cancelButton = new QPushButton(QStringLiteral("Cancel"));
    connect(okButton, &QPushButton::clicked, this, &OptionsDialog::ok);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(2, 2, 2, 2);
    buttons->setSpacing(2);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(m_lineEdit);
    layout->addLayout(buttons);
}

void OptionsDialog::ok()
{
    accept();
}

} // namespace QMDrovebot
