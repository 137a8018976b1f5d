#include "DocWindow.h"

#include "SyntaxHighlighter.h"
#include <QMDrovebot/engine/LongLineLayout.h>

#include <MTools/BoundedFile.h>
#include <MTools/CheckedSaveFile.h>
#include <QFileDialog>
#include <QFileInfo>
#include <QMWidgets/App.h>
#include <QMessageBox>

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

TextFileFormat DocWindow::fileFormat() const
{
    return m_format;
}

QString DocWindow::savedText() const
{
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

void DocWindow::restore(const QString &path, const QString &text)
{
    m_format = TextFileFormat::utf8();
    QByteArray bytes;
    if (!path.isEmpty() && MTools::BoundedFile::read(path, maximumFileSize, &bytes) == MTools::BoundedFile::Ok)
        TextFileFormat::decode(bytes, &m_format);
    m_fileName = path;
    m_saveWarning.clear();
    setPlainText(text);
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

    TextFileFormat format;
    const QString text = TextFileFormat::decode(bytes, &format);

    LongLineLayout::expect(document(), text);
    setPlainText(text);
    m_fileName = path;
    m_format = format;
    m_modified = false;
    // What the text widget holds, written back, must be the file: else the
    // user learns now, and the first save asks, before bytes they never
    // touched change.
    QByteArray back;
    m_saveWarning.clear();
    m_warnedFile = path;
    if (!format.encode(savedText(), &back) || back != bytes)
        m_saveWarning = tr("Saving will change %1: %2").arg(path, format.lossReason(text));
    emit changeWindowTitle(path);
    emit fileStatus(m_saveWarning);
    if (format.encoding == TextFileFormat::EightBit)
        emit statusMessage(tr("%1 is not UTF-8: read as %2").arg(path, format.encodingName()));
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
    if (!m_saveWarning.isEmpty() && m_fileName == m_warnedFile) {
        const auto answer =
            QMessageBox::warning(this, QStringLiteral("Warning"), m_saveWarning + QStringLiteral(".\nSave anyway?"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return false;
    }
    TextFileFormat format = m_format;
    const QString text = savedText();
    QByteArray bytes;
    QString note;
    if (!format.encode(text, &bytes)) {
        // Never a "?" for what the old encoding cannot hold: the text is
        // kept whole, and the user learns that the file changed encoding.
        note = tr("%1 was saved as UTF-8: its text no longer fits %2").arg(m_fileName, format.encodingName());
        format = TextFileFormat::utf8();
        format.lineEnd = m_format.lineEnd;
        format.encode(text, &bytes);
    }
    QString error;
    if (!MTools::CheckedSaveFile::writeFile(m_fileName, bytes, &error)) {
        emit fileStatus(tr("Cannot save %1: %2").arg(m_fileName, error));
        return false;
    }
    m_format = format;
    m_modified = false;
    m_saveWarning.clear();
    emit changeWindowTitle(m_fileName);
    emit fileStatus(note);
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
    m_format = TextFileFormat::utf8();
    m_saveWarning.clear();
    emit changeWindowTitle(QString());
}

} // namespace QMDrovebot
