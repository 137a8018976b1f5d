#include "FindDialog.h"

#include "DocWindow.h"
#include "Editor.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

namespace QMDrovebot {

FindDialog::FindDialog(Editor *editor, QWidget *parent)
    : QDialog(parent)
    , editor(editor)
{
    lineEdit = new QLineEdit;
    lineEdit->setObjectName(QStringLiteral("findLineEdit"));
    // Both buttons share one object name: the application style sheet styles
    // QPushButton#PushButton.
    auto *findButton = new QPushButton(QStringLiteral("Find Next"));
    findButton->setObjectName(QStringLiteral("PushButton"));
    findButton->setFlat(true);
    auto *closeButton = new QPushButton(QStringLiteral("Close"));
    closeButton->setObjectName(QStringLiteral("PushButton"));
    closeButton->setFlat(true);

    connect(findButton, &QPushButton::clicked, this, &FindDialog::find);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::hide);

    auto *escape = new QAction(this);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(escape, &QAction::triggered, this, &QWidget::hide);
    addAction(escape);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(5, 5, 5, 5);
    buttons->setSpacing(5);
    buttons->addWidget(findButton);
    buttons->addWidget(closeButton);

    auto *layout = new QVBoxLayout;
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(5);
    layout->addWidget(lineEdit);
    layout->addLayout(buttons);
    setLayout(layout);
}

void FindDialog::find()
{
    if (!editor)
        return;
    QTextEdit *textEdit = editor->textEdit();
    // QTextDocument::find starts after the cursor's selection, so repeated
    // searches step through successive matches.
    const QTextCursor match = textEdit->document()->find(lineEdit->text(), textEdit->textCursor());
    if (match.isNull())
        return;
    textEdit->setTextCursor(match);
}

} // namespace QMDrovebot
