#include "TestSupport.h"

#include <QMDrovebot/editor/RecordedScript.h>

// What a recording writes for what was observed, step by step. A step is
// "S1 text" (a statement at event-loop level 1), "T1 target|text" (typing),
// "O1 what|finder" (a dialog opens), "P1 what|finder" (a pop-up opens),
// "R text" (the last statement becomes another), "C" (the innermost window
// closes) or "F" (the recording ends).
class tst_RecordedScript : public QObject
{
    Q_OBJECT

private slots:
    void text_data();
    void text();
};

void tst_RecordedScript::text_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("expected");
    const QString handler1 = QStringLiteral("// handler1 answers %1, which the next statement opens.\n"
                                            "var done1 = false;\n"
                                            "var handler1 = createTimer();\n"
                                            "handler1.timeout.connect(function () {\n");
    const QString wait1 = QStringLiteral("handler1.start(100);\n"
                                         "waitFor(function () { return done1; }, 10000);\n");
    // clang-format off
    QTest::newRow("typing into one widget is one keyPress") << QStringList{"T1 a|x", "T1 a|y", "T1 b|z", "T1 a|w"}
        << "keyPress(a, \"xy\");\nkeyPress(b, \"z\");\nkeyPress(a, \"w\");\n";
    QTest::newRow("a press that became a drag") << QStringList{"S1 mouseClick(a);", "R dragAndDrop(a, 1, 2, b, 3, 4);"}
        << "dragAndDrop(a, 1, 2, b, 3, 4);\n";
    QTest::newRow("a dialog is answered by a handler registered before its opener")
        << QStringList{"S1 click(b);", "O1 \"D\"|var dialog = find();", "S2 enterPress(dialog);", "C", "S1 after();"}
        << handler1.arg("\"D\"") + "    var dialog = find();\n    enterPress(dialog);\n    done1 = true;\n});\nclick(b);\n" + wait1 + "after();\n";
    QTest::newRow("a dialog opened by a menu entry nests in the menu's handler")
        << QStringList{"S1 click(bar);", "P1 the menu|menu();", "S1 choose();", "C", "O1 \"Q\"|var dialog = q();", "S2 no(dialog);", "C"}
        << handler1.arg("the menu") + "    menu();\n"
           "    // handler2 answers \"Q\", which the next statement opens.\n"
           "    var done2 = false;\n    var handler2 = createTimer();\n    handler2.timeout.connect(function () {\n"
           "        var dialog = q();\n        no(dialog);\n        done2 = true;\n    });\n"
           "    choose();\n    handler2.start(100);\n    waitFor(function () { return done2; }, 10000);\n"
           "    done1 = true;\n});\nclick(bar);\n" + wait1;
    QTest::newRow("a second dialog after the first closed is chained to it")
        << QStringList{"S1 click(b);", "O1 A|var dialog = a();", "S2 ok(dialog);", "C", "O1 B|var dialog = b();", "S2 ok(dialog);", "C"}
        << handler1.arg("A") + "    var dialog = a();\n    ok(dialog);\n    handler2.start(100);\n    done1 = true;\n});\n"
           "// handler2 answers B, which opens after that.\n"
           "var done2 = false;\nvar handler2 = createTimer();\nhandler2.timeout.connect(function () {\n"
           "    var dialog = b();\n    ok(dialog);\n    done2 = true;\n});\n"
           "click(b);\nhandler1.start(100);\nwaitFor(function () { return done2; }, 10000);\n";
    QTest::newRow("stopping from a menu drops it and its opener") << QStringList{"S1 keep();", "S1 click(app);", "P1 the menu|menu();", "F"}
        << "keep();\n";
    QTest::newRow("a dismissed pop-up goes, an unanswered dialog stays")
        << QStringList{"S1 click(combo);", "P1 the list|list();", "C", "S1 click(b);", "O1 D|var dialog = d();", "C", "F"}
        << handler1.arg("D") + "    var dialog = d();\n    done1 = true;\n});\nclick(b);\n" + wait1;
    // clang-format on
}

void tst_RecordedScript::text()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, expected);
    QMDrovebot::RecordedScript script;
    for (const QString &step : qAsConst(steps)) {
        const int level = step.mid(1, 1).toInt();
        const QString rest = step.mid(3);
        switch (step.at(0).toLatin1()) {
        case 'S':
            script.addStatement(rest, level);
            break;
        case 'T':
            script.addText(rest.section(QLatin1Char('|'), 0, 0), rest.section(QLatin1Char('|'), 1), level);
            break;
        case 'O':
        case 'P':
            script.openHandler(rest.section(QLatin1Char('|'), 0, 0), rest.section(QLatin1Char('|'), 1), level,
                               step.startsWith(QLatin1Char('P')));
            break;
        case 'R':
            script.replaceLastStatement(step.mid(2));
            break;
        case 'C':
            script.closeHandler();
            break;
        default:
            script.finish();
        }
    }
    QCOMPARE(script.text(), expected);
}

QTEST_MAIN(tst_RecordedScript)
#include "tst_recordedscript.moc"
