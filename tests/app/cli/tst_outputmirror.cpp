#include "TestSupport.h"
#include "cli/OutputMirror.h"
#include <QMDrovebot/engine/OutputArea.h>

// The copy the watchdog prints must be what the pane would print, after
// every kind of change a script or the editor makes to the pane.
class tst_OutputMirror : public QObject
{
    Q_OBJECT

private slots:
    void followsThePane_data()
    {
        QTest::addColumn<QStringList>("steps"); // "print:", "append:", "html:" (at the end), "clear", "set:"
        // clang-format off
        QTest::newRow("appends") << QStringList{"append:a", "append:b c", "append:"};
        QTest::newRow("line breaks and blanks") << QStringList{"append:x<br>y", "append:a&nbsp;b", "append:p\nq"};
        QTest::newRow("red text at the end") << QStringList{"append:so far", "html:<p><font color=#AA0000>Error:<BR>Line:1</font></p>", "append:later"};
        QTest::newRow("cleared and refilled") << QStringList{"append:old", "clear", "append:new"};
        QTest::newRow("replaced") << QStringList{"append:old", "set:<b>all</b> new<br>two", "append:three"};
        QTest::newRow("non-BMP and table") << QStringList{"append:\U0001F600", "append:<table><tr><td>c</td></tr></table>", "append:end"};
        // Printed lines wait to be put into the pane; the copy has them at once.
        QTest::newRow("printed, then appended") << QStringList{"print:a", "print:b\u00a0c", "append:d", "print:e"};
        QTest::newRow("printed into an empty pane") << QStringList{"print:", "print:x"};
        QTest::newRow("printed, then cleared") << QStringList{"append:old", "print:p", "clear", "print:q"};
        // clang-format on
    }

    void followsThePane()
    {
        QFETCH(QStringList, steps);
        QMDrovebot::OutputArea pane;
        OutputMirror mirror(&pane);
        for (const QString &step : steps) {
            const QString argument = step.section(QLatin1Char(':'), 1);
            if (step.startsWith("print:")) {
                pane.print(argument);
                // Read before anything lets the pane take the line in.
                const QString copy = mirror.text();
                QCOMPARE(copy, pane.toPlainText());
                continue;
            }
            if (step.startsWith("append:")) {
                pane.append(argument);
            } else if (step.startsWith("html:")) {
                QTextCursor end(pane.document());
                end.movePosition(QTextCursor::End);
                end.insertBlock();
                end.insertHtml(argument);
            } else if (step == "clear") {
                pane.clear();
            } else {
                pane.setHtml(argument);
            }
            QCOMPARE(mirror.text(), pane.toPlainText());
        }
    }

    // A pane too tall for the toolkit's layout keeps its older text out of
    // the document; the pane's text and the copy still hold every line.
    void keepsWhatLeftThePane()
    {
        QMDrovebot::OutputArea pane;
        pane.resize(120, 200);
        pane.show();
        OutputMirror mirror(&pane);
        QStringList printed;
        const QString words = QString("word ").repeated(400);
        for (int i = 0; i < 6000; ++i) {
            printed << QString::number(i) + ' ' + words;
            pane.print(printed.last());
            if (i % 500 == 0)
                QCoreApplication::processEvents();
        }
        pane.append("<b>last</b>");
        printed << "last";
        const QString copy = mirror.text();
        QCOMPARE(pane.toPlainText(), printed.join('\n'));
        QCOMPARE(copy, printed.join('\n'));
        QVERIFY(pane.QTextEdit::toPlainText().size() < copy.size());
        pane.clear();
        pane.print("again");
        QCOMPARE(pane.toPlainText(), QString("again"));
        QCOMPARE(mirror.text(), QString("again"));
    }
};

QTEST_MAIN(tst_OutputMirror)
#include "tst_outputmirror.moc"
