#include "TestSupport.h"

#include <QMDrovebot/batch/MainWindow.h>
#include <QMDrovebot/batch/ScriptEditor.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMWidgets/App.h>

// The script editor window opened inside someone else's application: its
// scripts find that application's widgets and never Corvella's own, and
// their shortcuts reach the application's window even while the editor
// window has the focus.
class tst_ScriptEditor : public QObject
{
    Q_OBJECT

private slots:
    void scriptsDriveTheApplication();
};

void tst_ScriptEditor::scriptsDriveTheApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Someone"));
    QCoreApplication::setApplicationName(QStringLiteral("Program"));
    QMainWindow program;
    program.setWindowTitle(QStringLiteral("Program"));
    auto *button = new QPushButton(QStringLiteral("Go"));
    button->setObjectName(QStringLiteral("go"));
    program.setCentralWidget(button);
    int pressed = 0;
    auto *action = new QAction(QStringLiteral("Press"), &program);
    action->setShortcut(QKeySequence(QStringLiteral("Ctrl+K")));
    program.addAction(action);
    connect(action, &QAction::triggered, [&pressed] { ++pressed; });
    program.show();
    QVERIFY(QTest::qWaitForWindowActive(&program));

    QMDrovebot::MainWindow *window = QMDrovebot::openScriptEditor();
    QVERIFY(window->windowFlags().testFlag(Qt::Tool));
    QCOMPARE(QMDrovebot::openScriptEditor(), window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    QMDrovebot::Editor *editor = window->editor();
    editor->textEdit()->setPlainText(
        QStringLiteral("Test.verify(getWidgetByClassName('QPushButton') == getWidgetByObjectName('go'));\n"
                       "Test.verify(getWidgetByObjectName('batchDock') == null);\n"
                       "Test.verify(getWidgetByClassName('QMDrovebot::MainWindow') == null);\n"
                       "generateIDs();\n"
                       "Test.verify(getWidgetByToolTip('O#batchDock') == null);\n"
                       "shortCutPress('Ctrl+K');\n"
                       "delay(200);\n"));
    editor->run();
    QCOMPARE(editor->errorStatus(), 0);
    QCOMPARE(pressed, 1);
    // The settings are Corvella's, not the application's.
    QMWidgets::App::setSettingValue(QStringLiteral("probe"), 1);
    QCOMPARE(
        QSettings(QStringLiteral("Brightfold"), QStringLiteral("Corvella")).value(QStringLiteral("Corvella/probe")),
        QVariant(1));
    QVERIFY(QSettings().allKeys().isEmpty());
}

QTEST_MAIN(tst_ScriptEditor)
#include "tst_scripteditor.moc"
