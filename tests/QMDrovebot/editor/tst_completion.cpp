#include "TestSupport.h"

#include <QMDrovebot/editor/CodeCompleter.h>
#include <QMDrovebot/editor/CompletionModel.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>

using QMDrovebot::CompletionModel;

// The completion list: what the reference's text says of a name, what the
// engine offers at the cursor, and the list in the document.
class tst_Completion : public QObject
{
    Q_OBJECT

private slots:
    void reference_data();
    void reference();
    void entries_data();
    void entries();
    void everyGlobalIsDescribed();
    void popup_data();
    void popup();

private:
    QMDrovebot::Editor m_editor;
};

void tst_Completion::reference_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("summary");
    // clang-format off
    QTest::newRow("heading and its paragraph") << "### `foo(a, b)`\n\nDoes **one** `thing`. Then more.\n" << "foo" << "(a, b)" << "Does one thing.";
    QTest::newRow("an object, a link") << "### `obj`\n\nThe [pane](#pane) below\nthe text. More.\n" << "obj" << "" << "The pane below the text.";
    QTest::newRow("e.g. ends no sentence") << "### `f()`\n\nUse it, e.g. for x. More.\n" << "f" << "()" << "Use it, e.g. for x.";
    QTest::newRow("a member like a global function") << "### `bar(x)`\n\nBars x.\n\n| `O.bar(x)`, `O.baz()` | `bar`, `qux` |\n" << "O.bar" << "(x)" << "Bars x.";
    QTest::newRow("a member named like another global") << "### `qux()`\n\nQuxes.\n\n| `O.bar(x)`, `O.baz()` | `bar`, `qux` |\n" << "O.baz" << "()" << "Quxes.";
    QTest::newRow("a member of its own") << "| `O.m(w, x)` | **posts** a move |\n" << "O.m" << "(w, x)" << "posts a move";
    QTest::newRow("a member only mentioned") << "slots such as `out.clear()` (none)\n" << "out.clear" << "()" << "";
    // clang-format on
}

void tst_Completion::reference()
{
    QFETCH(QString, markdown);
    QFETCH(QString, name);
    QFETCH(QString, arguments);
    QFETCH(QString, summary);
    const CompletionModel::References references = CompletionModel::parseReference(markdown);
    QVERIFY(references.contains(name));
    QCOMPARE(references.value(name).arguments, arguments);
    QCOMPARE(references.value(name).summary, summary);
}

void tst_Completion::entries_data()
{
    QTest::addColumn<QString>("qualifier");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("first");
    // clang-format off
    QTest::newRow("a global function") << "" << "printo" << "printout(text) \u2014 Appends text (any value, turned into text) to the output pane as a new paragraph; printout() prints undefined.";
    QTest::newRow("upper and lower case alike") << "" << "GETWIDGETBYOB"
        << "getWidgetByObjectName(name) \u2014 The first top-level window whose object name is name, else the first object below a top-level window with that name.";
    QTest::newRow("a published object") << "" << "Tes" << "Test \u2014 The checks Test.compare(actual, expected) and Test.verify(condition), described under Checks.";
    QTest::newRow("a member with its own row") << "Support" << "mouseMo" << "mouseMove(w, x, y, button, buttons) \u2014 posts a mouse move (no global function does); defaults as above";
    QTest::newRow("a member like its global function") << "Support" << "getWidgetByCl"
        << "getWidgetByClassName(name) \u2014 A widget whose class name is exactly className (full name with namespace), searched over the top-level windows as described above.";
    QTest::newRow("a member with a heading") << "Test" << "" << "compare(actual, expected) \u2014 Passes when the two values are equal.";
    QTest::newRow("an object without methods") << "QEvent" << "" << "";
    QTest::newRow("not a published object") << "Math" << "" << "";
    // clang-format on
}

void tst_Completion::entries()
{
    QFETCH(QString, qualifier);
    QFETCH(QString, prefix);
    QFETCH(QString, first);
    const QList<CompletionModel::Entry> found =
        CompletionModel::matching(CompletionModel::entries(m_editor.engine(), qualifier), prefix);
    QCOMPARE(found.isEmpty() ? QString() : found.first().display(), first);
}

// The reference's own test ties its headings to the engine; this ties the
// list to the reference's words.
void tst_Completion::everyGlobalIsDescribed()
{
    const QList<CompletionModel::Entry> globals = CompletionModel::entries(m_editor.engine(), QString());
    QVERIFY(globals.size() > 60);
    for (const CompletionModel::Entry &entry : globals)
        QVERIFY2(!entry.summary.isEmpty() && (!entry.function || entry.arguments.startsWith(QLatin1Char('('))),
                 qPrintable(entry.display()));
}

void tst_Completion::popup_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("ctrlSpace");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("a dot opens, typing narrows, Enter inserts") << "Support.mouseCl" << false << int(Qt::Key_Return) << "Support.mouseClick(";
    QTest::newRow("Ctrl+Space opens, Tab inserts") << "getWidgetByO" << true << int(Qt::Key_Tab) << "getWidgetByObjectName(";
    QTest::newRow("an object's name without parenthesis") << "outp" << true << int(Qt::Key_Enter) << "output";
    QTest::newRow("Escape closes") << "Test." << false << int(Qt::Key_Escape) << "Test.";
    // clang-format on
}

void tst_Completion::popup()
{
    QFETCH(QString, typed);
    QFETCH(bool, ctrlSpace);
    QFETCH(int, key);
    QFETCH(QString, text);
    QMDrovebot::DocWindow *document = m_editor.textEdit();
    auto *completer = m_editor.findChild<QMDrovebot::CodeCompleter *>();
    QVERIFY(TestSupport::shown(&m_editor));
    document->clear();
    QTest::keyClicks(document, typed);
    if (ctrlSpace)
        QTest::keyClick(document, Qt::Key_Space, Qt::ControlModifier);
    QTRY_VERIFY(completer->popup() && completer->popup()->isVisible());
    QCOMPARE(completer->popup()->objectName(), QStringLiteral("completionPopup"));
    QTest::keyClick(document, Qt::Key(key));
    QCOMPARE(document->toPlainText(), text);
    QVERIFY(!completer->popup());
}

QTEST_MAIN(tst_Completion)
#include "tst_completion.moc"
