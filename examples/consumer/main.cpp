// An application that scripts itself in place: F12 opens Corvella's script
// editor window beside its own. With --run-in-editor FILE it opens the
// window, runs FILE there as the Run button would and ends with 0 when the
// script raised no error.

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QShortcut>
#include <QTimer>

#include <QMDrovebot/batch/MainWindow.h>
#include <QMDrovebot/batch/ScriptEditor.h>
#include <QMDrovebot/editor/Editor.h>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Consumer"));
    auto *name = new QLineEdit;
    name->setObjectName(QStringLiteral("name"));
    window.setCentralWidget(name);
    new QShortcut(QKeySequence(Qt::Key_F12), &window, [] { QMDrovebot::openScriptEditor(); });
    window.show();

    const QStringList arguments = app.arguments();
    const int at = arguments.indexOf(QStringLiteral("--run-in-editor"));
    if (at < 0 || at + 1 >= arguments.size())
        return app.exec();
    int status = 1;
    QTimer::singleShot(0, [&] {
        QMDrovebot::Editor *editor = QMDrovebot::openScriptEditor()->editor();
        editor->open(arguments.at(at + 1));
        editor->run();
        status = editor->errorStatus() == 0 ? 0 : 1;
        app.quit();
    });
    app.exec();
    return status;
}
