#include "TestSupport.h"

#include <QScrollBar>

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/FindDialog.h>

using QMDrovebot::Editor;
using QMDrovebot::FindDialog;

namespace {

using TestSupport::button;

QString selection(const QTextEdit *edit)
{
    const QTextCursor cursor = edit->textCursor();
    return QStringLiteral("%1-%2").arg(cursor.anchor()).arg(cursor.position());
}

} // namespace

class tst_FindDialog : public QObject
{
    Q_OBJECT

private slots:
    void findNext_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("search");
        // The selection (anchor-position) after each press of "Find Next".
        QTest::addColumn<QStringList>("selections");

        // clang-format off
        QTest::newRow("ignores case") << "xx ABC yy" << 0 << 0 << "abc" << QStringList{"3-6"};
        QTest::newRow("successive matches, then no wrap") << "abc xabcx\nabc" << 0 << 0 << "abc" << QStringList{"0-3", "5-8", "10-13", "10-13"};
        QTest::newRow("searches from the cursor") << "abc def abc" << 5 << 5 << "abc" << QStringList{"8-11", "8-11"};
        QTest::newRow("starts after the selection") << "abcabc" << 0 << 3 << "abc" << QStringList{"3-6", "3-6"};
        QTest::newRow("no match keeps the selection") << "abc xyz" << 0 << 3 << "zzz" << QStringList{"0-3"};
        QTest::newRow("empty field finds nothing") << "abc" << 1 << 1 << "" << QStringList{"1-1", "1-1"};
        // clang-format on
    }

    void findNext()
    {
        QFETCH(QString, text);
        QFETCH(int, anchor);
        QFETCH(int, position);
        QFETCH(QString, search);
        QFETCH(QStringList, selections);

        Editor editor(nullptr);
        QTextEdit *edit = editor.textEdit();
        edit->setPlainText(text);
        QTextCursor cursor(edit->document());
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);

        FindDialog dialog(&editor, nullptr);
        QVERIFY(TestSupport::shown(&dialog));
        auto *field = dialog.findChild<QLineEdit *>(QStringLiteral("findLineEdit"));
        QTest::keyClicks(field, search);
        QAbstractButton *findNext = button(&dialog, QStringLiteral("Find Next"));

        QStringList seen;
        for (int press = 0; press < selections.size(); ++press) {
            QTest::mouseClick(findNext, Qt::LeftButton);
            seen << selection(edit);
        }
        QCOMPARE(seen, selections);
    }

    void scrollsToTheMatch()
    {
        Editor editor(nullptr);
        editor.resize(400, 300);
        QTextEdit *edit = editor.textEdit();
        edit->setPlainText(QString(QStringLiteral("filler;\n")).repeated(300) + QStringLiteral("needle"));
        edit->moveCursor(QTextCursor::Start);
        QVERIFY(TestSupport::shown(&editor));

        FindDialog dialog(&editor, nullptr);
        dialog.findChild<QLineEdit *>(QStringLiteral("findLineEdit"))->setText(QStringLiteral("NEEDLE"));
        QTest::mouseClick(button(&dialog, QStringLiteral("Find Next")), Qt::LeftButton);

        QCOMPARE(edit->textCursor().selectedText(), QStringLiteral("needle"));
        QVERIFY(edit->verticalScrollBar()->value() > 0);
        QVERIFY(edit->viewport()->rect().contains(edit->cursorRect().center()));
    }

    void closeAndEscapeOnlyHide_data()
    {
        QTest::addColumn<bool>("escape");
        // clang-format off
        QTest::newRow("Close button") << false;
        QTest::newRow("Escape key") << true;
        // clang-format on
    }

    void closeAndEscapeOnlyHide()
    {
        QFETCH(bool, escape);

        Editor editor(nullptr);
        FindDialog dialog(&editor, nullptr);
        QVERIFY(!dialog.isModal());

        QVERIFY(TestSupport::shown(&dialog));
        auto *field = dialog.findChild<QLineEdit *>(QStringLiteral("findLineEdit"));
        QTest::keyClicks(field, QStringLiteral("kept"));
        if (escape)
            QTest::keyClick(field, Qt::Key_Escape);
        else
            QTest::mouseClick(button(&dialog, QStringLiteral("Close")), Qt::LeftButton);
        QVERIFY(dialog.isHidden());

        QVERIFY(TestSupport::shown(&dialog));
        QCOMPARE(field->text(), QStringLiteral("kept"));
    }
};

QTEST_MAIN(tst_FindDialog)
#include "tst_finddialog.moc"
