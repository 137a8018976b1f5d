#include "DlgJSCompressed.h"

#include "compress/JSAsciiEncoder.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>

#include <MTools/CheckedSaveFile.h>
#include <QMWidgets/App.h>

namespace {

QPushButton *makeButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QStringLiteral("PushButton")); // the application style sheet's button look
    button->setFlat(true);
    button->setMinimumHeight(32);
    return button;
}

} // namespace

DlgJSCompressed::DlgJSCompressed(QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setWindowTitle(tr("Compressor Dialog"));
    resize(600, 450);

    m_textEdit = new QTextEdit(this);
    m_caption = new QLabel(tr("Compressed Java Script Source"), this);

    QPushButton *closeButton = makeButton(tr("&Close"), this);
    QPushButton *saveButton = makeButton(tr("&Save"), this);
    QPushButton *cancelButton = makeButton(tr("&Cancel"), this);
    closeButton->hide();

    connect(saveButton, &QPushButton::clicked, this, &DlgJSCompressed::slotSave);
    connect(closeButton, &QPushButton::clicked, this, &DlgJSCompressed::accept);
    connect(cancelButton, &QPushButton::clicked, this, &DlgJSCompressed::reject);

    auto *inner = new QGridLayout;
    inner->addWidget(m_caption, 0, 0);
    inner->addWidget(m_textEdit, 1, 0);
    auto *outer = new QGridLayout(this);
    outer->addLayout(inner, 0, 0, 1, 2);
    outer->addWidget(cancelButton, 2, 0);
    outer->addWidget(saveButton, 2, 1);
}

// Plain text always: QTextEdit::setText() would guess rich text for a
// script with "<b>" in a string and export only its rendering.
void DlgJSCompressed::setCompressedText(const QString &text)
{
    m_textEdit->setPlainText(text);
}

void DlgJSCompressed::setBaseName(const QString &baseName)
{
    m_baseName = baseName;
}

void DlgJSCompressed::slotSave()
{
    const QString suggested = m_baseName + QStringLiteral("Compressed.js");
    const QString start = QMWidgets::App::saveDirectory() + QLatin1Char('/') + suggested;
    QString path = QFileDialog::getSaveFileName(this, tr("Export to Festoon file"), start, QStringLiteral("*.js"),
                                                nullptr, QMWidgets::App::fileDialogOptions());
    if (!path.isEmpty()) {
        if (!path.endsWith(QLatin1String(".js")))
            path += QLatin1String(".js");
        QMWidgets::App::setSaveDirectory(QFileInfo(path).absolutePath());
    }

    // A cancelled dialog leaves this dialog open without a word.
    if (path.isEmpty())
        return;
    QString error;
    if (!MTools::CheckedSaveFile::writeFile(path, toJavaScriptAscii(m_textEdit->toPlainText()), &error)) {
        // The file is as it was; the user can pick another place.
        QMessageBox::warning(this, QStringLiteral("Warning"), tr("Cannot save %1: %2").arg(path, error));
        return;
    }

    QMessageBox::information(this, tr("Information"), tr("The ") + suggested + tr(" was successfully saved"),
                             QMessageBox::Ok);
    accept();
}
