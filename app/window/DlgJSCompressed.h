#pragma once

#include <QDialog>

class QLabel;
class QTextEdit;

// Shows a compressed script, lets the user edit it and exports it as a .js
// file. Lives for one Compress command; only the application's save directory
// outlasts it.
class DlgJSCompressed : public QDialog
{
    Q_OBJECT

public:
    explicit DlgJSCompressed(QWidget *parent);

    void setCompressedText(const QString &text);
    // Names the suggested file: base name + "Compressed.js".
    void setBaseName(const QString &baseName);

private slots:
    void slotSave();

private:
    QTextEdit *m_textEdit = nullptr;
    QString m_baseName;
    QLabel *m_caption = nullptr;
};
