#pragma once

#include <QTextEdit>

#include "TextFileFormat.h"

namespace QMDrovebot {

// The document: the script text with its file name and modified flag, and the
// file commands. Every change of the text reports a title ending in
// " [modified]"; Open and Save report the bare path.
class DocWindow : public QTextEdit
{
    Q_OBJECT

public:
    explicit DocWindow(QWidget *parent = nullptr);

    QString fileName() const;
    bool isModified() const;
    QString lastDirectory() const;

    static QString defaultText();

    // Files larger than this are refused with a message: the text widget and
    // its colouring would keep the program busy for minutes.
    static constexpr qint64 maximumFileSize = 32 * 1024 * 1024;

    // The command versions that report whether they succeeded; the slots
    // below are the same operations for the tool bar and for scripts.
    bool openFile(const QString &path);
    bool saveFile();
    bool saveFileAs();

    // Puts back text recovered after a crash: the document is modified and
    // named `path`, so Save writes it where it belongs, in that file's format.
    void restore(const QString &path, const QString &text);

    // The encoding, mark and line ends the next Save writes.
    TextFileFormat fileFormat() const;
    // The text exactly as Save writes it (before line ends and encoding);
    // toPlainText() turns no-break spaces into spaces.
    QString savedText() const;

signals:
    void changeWindowTitle(const QString &title);
    // Explains a failed file operation (file name and the system's reason).
    void statusMessage(const QString &message);
    // What the user must not miss about the file: a failed save, a save
    // that had to change the encoding, or an opened file that saving would
    // change. It stays until the next successful Save or Open, which report
    // an empty text (or the next such warning).
    void fileStatus(const QString &message);

public slots:
    void newFile();
    void open(const QString &path);
    void open();
    void save();
    void saveAs();
    void contentChanged();

private:
    QString m_fileName;
    bool m_modified = false;
    QString m_lastDirectory;
    TextFileFormat m_format;
    // Set when the opened file's bytes cannot come back exactly: shown as
    // the file status, and asked about by the first save over that file.
    QString m_saveWarning;
    QString m_warnedFile;
};

} // namespace QMDrovebot
