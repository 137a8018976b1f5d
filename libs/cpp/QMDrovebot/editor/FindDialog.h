#pragma once

#include <QDialog>
#include <QPointer>

class QLineEdit;

namespace QMDrovebot {

class Editor;

// The non-modal search window of a document: one search field and "Find
// Next", which selects the next occurrence after the editor's cursor. It is
// kept and reused; "Close" and Escape only hide it, so the text stays.
class FindDialog : public QDialog
{
    Q_OBJECT

public:
    FindDialog(Editor *editor, QWidget *parent);

private slots:
    // Searches forward only and never wraps round to the start. A search
    // that finds nothing leaves the editor's cursor and selection alone.
    void find();

private:
    // The editor belongs to the document window and may go before us.
    QPointer<Editor> editor;
    QLineEdit *lineEdit = nullptr;
};

} // namespace QMDrovebot
