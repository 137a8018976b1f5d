#include "DocWindow.h"

#include "SyntaxHighlighter.h"
#include <QMDrovebot/engine/LongLineLayout.h>

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QTextCodec>

#include <MTools/BoundedFile.h>
#include <QMWidgets/App.h>

namespace QMDrovebot {

DocWindow::DocWindow(QWidget *parent)
    : QTextEdit(parent)
{
    new SyntaxHighlighter(document());
    new LongLineLayout(document());
    // A scroll bar that appears when the text outgrows the view narrows it
    // and re-wraps every line: for a file of megabytes, a second layout.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_lastDirectory = QMWidgets::App::openDirectory();
    connect(this, &QTextEdit::textChanged, this, &DocWindow::contentChanged);
    setPlainText(defaultText());
}

QString DocWindow::defaultText()
{
    return QStringLiteral("printout(\"Hello World\");");
}

QString DocWindow::fileName() const
{
    return m_fileName;
}

bool DocWindow::isModified() const
{
    return m_modified;
}

QString DocWindow::lastDirectory() const
{
    return m_lastDirectory;
}

void DocWindow::contentChanged()
{
    m_modified = true;
    emit changeWindowTitle(m_fileName + QLatin1Char(' ') + QStringLiteral("[modified]"));
}

bool DocWindow::openFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    QByteArray bytes;
    QString reason;
    switch (MTools::BoundedFile::read(path, maximumFileSize, &bytes, &reason)) {
    case MTools::BoundedFile::Ok:
        break;
    case MTools::BoundedFile::Missing:
        emit statusMessage(tr("Cannot open %1: %2").arg(path, tr("No such file or directory")));
        return false;
    case MTools::BoundedFile::Folder:
        emit statusMessage(tr("Cannot open %1: it is a folder").arg(path));
        return false;
    case MTools::BoundedFile::NotRegular:
        emit statusMessage(tr("Cannot open %1: it is not a regular file").arg(path));
        return false;
    case MTools::BoundedFile::Unreadable:
        emit statusMessage(tr("Cannot open %1: %2").arg(path, reason));
        return false;
    case MTools::BoundedFile::TooLarge:
        emit statusMessage(
            tr("Cannot open %1: the file is larger than %2 MB").arg(path).arg(maximumFileSize / (1024 * 1024)));
        return false;
    }

    // Scripts are read as UTF-8 whatever the locale says: a C locale would
    // otherwise decode (and later write back) every non-ASCII character
    // wrongly. A byte-order mark is honoured.
    QTextCodec *codec = QTextCodec::codecForUtfText(bytes, QTextCodec::codecForName("UTF-8"));
    QTextCodec::ConverterState state;
    const QString text = codec->toUnicode(bytes.constData(), bytes.size(), &state);

    LongLineLayout::expect(document(), text);
    setPlainText(text);
    m_fileName = path;
    m_modified = false;
    emit changeWindowTitle(path);
    if (state.invalidChars > 0)
        emit statusMessage(
            tr("%1 is not valid UTF-8: %2 invalid bytes were replaced").arg(path).arg(state.invalidChars));
    return true;
}

void DocWindow::open(const QString &path)
{
    openFile(path);
}

void DocWindow::open()
{
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open"), QMWidgets::App::openDirectory() + QStringLiteral("/ "),
                                     QStringLiteral("*.js"), nullptr, QMWidgets::App::fileDialogOptions());
    if (!path.isEmpty()) {
        QMWidgets::App::setOpenDirectory(QFileInfo(path).absolutePath());
        m_lastDirectory = path;
    }
    openFile(path);
}

bool DocWindow::saveFile()
{
    if (m_fileName.isEmpty())
        return saveFileAs();
    // Written through a temporary file that replaces the old one only when
    // everything was written, so a full disk never leaves half a script.
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        emit statusMessage(tr("Cannot save %1: %2").arg(m_fileName, file.errorString()));
        return false;
    }
    file.write(toPlainText().toUtf8());
    if (!file.commit()) {
        emit statusMessage(tr("Cannot save %1: %2").arg(m_fileName, file.errorString()));
        return false;
    }
    m_modified = false;
    emit changeWindowTitle(m_fileName);
    return true;
}

void DocWindow::save()
{
    saveFile();
}

bool DocWindow::saveFileAs()
{
    // Only the file's own name goes after the save directory: the stored name
    // is a full path once the document was opened or saved.
    const QString proposedName = m_fileName.isEmpty() ? QStringLiteral("NewFile.js") : QFileInfo(m_fileName).fileName();
    const QString proposed = QMWidgets::App::saveDirectory() + QLatin1Char('/') + proposedName;
    QString path = QFileDialog::getSaveFileName(this, tr("Save"), proposed, QStringLiteral("*.js"), nullptr,
                                                QMWidgets::App::fileDialogOptions());
    if (path.isEmpty())
        return false;
    if (!path.endsWith(QLatin1String(".js")))
        path += QLatin1String(".js");
    const QString previous = m_fileName;
    m_fileName = path;
    if (!saveFile()) {
        // A failed save leaves everything as it was, folders included.
        m_fileName = previous;
        return false;
    }
    const QString folder = QFileInfo(path).absolutePath();
    QMWidgets::App::setSaveDirectory(folder);
    m_lastDirectory = folder;
    return true;
}

void DocWindow::saveAs()
{
    saveFileAs();
}

void DocWindow::newFile()
{
    if (m_modified && !toPlainText().isEmpty()) {
        const QString text = QStringLiteral("The text of the \"") + m_fileName +
                             QStringLiteral("\" file has been changed.\nDo you want to save the changes?");
        const auto answer = QMessageBox::warning(nullptr, QStringLiteral("Warning"), text,
                                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel)
            return;
        // A save that was cancelled or failed must not lose the text.
        if (answer == QMessageBox::Yes && !saveFile())
            return;
    }
    setPlainText(defaultText());
    m_fileName.clear();
    emit changeWindowTitle(QString());
}

} // namespace QMDrovebot
