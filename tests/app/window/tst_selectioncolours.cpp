#include "TestSupport.h"
#include "window/DlgJSCompressed.h"
#include "window/JavaScriptEvaluator.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QtTest>
#include <cmath>

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/FindDialog.h>
#include <QMDrovebot/engine/OutputArea.h>

namespace {

double luminance(QRgb pixel)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) + 0.0722 * linear(qBlue(pixel));
}

// The share of the selection (where selecting changed the picture) drawn in
// a colour that stands out from the selection's bar, its commonest colour,
// with a contrast ratio of at least 3: the selected text.
double readableShare(QWidget *widget, const std::function<void(bool)> &select)
{
    // A blinking text cursor would count as drawn on the selection.
    if (QWidget *focus = QApplication::focusWidget())
        focus->clearFocus();
    select(false);
    const QImage plain = widget->grab().toImage();
    select(true);
    const QImage selected = widget->grab().toImage();
    QMap<QRgb, int> counts;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (selected.pixel(x, y) != plain.pixel(x, y))
                ++counts[selected.pixel(x, y)];
    if (counts.isEmpty())
        return 0;
    const double bar = luminance(std::max_element(counts.cbegin(), counts.cend()).key());
    int readable = 0;
    int all = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double l = luminance(it.key());
        all += it.value();
        if ((qMax(l, bar) + 0.05) / (qMin(l, bar) + 0.05) >= 3)
            readable += it.value();
    }
    return double(readable) / all;
}

std::function<void(bool)> selecting(QLineEdit *edit)
{
    edit->setText(QStringLiteral("Selected words 0123"));
    return [edit](bool on) { on ? edit->selectAll() : edit->deselect(); };
}

template <class Edit> std::function<void(bool)> selecting(Edit *edit)
{
    edit->setPlainText(QStringLiteral("Selected words 0123"));
    return [edit](bool on) { on ? edit->selectAll() : edit->moveCursor(QTextCursor::End); };
}

} // namespace

class tst_SelectionColours : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void selectedTextIsReadable_data();
    void selectedTextIsReadable();
};

void tst_SelectionColours::initTestCase()
{
    TestSupport::useTestIdentity();
    qApp->setStyleSheet(JavaScriptEvaluator::applicationStyleSheet());
}

void tst_SelectionColours::selectedTextIsReadable_data()
{
    QTest::addColumn<QString>("field");
    for (const char *field : {"line edit", "find dialog", "file dialog", "document", "output pane",
                              "compressed content", "plain text edit"})
        QTest::newRow(field) << field;
}

void tst_SelectionColours::selectedTextIsReadable()
{
    QFETCH(QString, field);

    QScopedPointer<QWidget> window;
    std::function<void(bool)> select;
    if (field == "line edit") {
        auto *edit = new QLineEdit;
        window.reset(edit);
        select = selecting(edit);
    } else if (field == "find dialog") {
        window.reset(new QMDrovebot::FindDialog(nullptr, nullptr));
        select = selecting(window->findChild<QLineEdit *>(QStringLiteral("findLineEdit")));
    } else if (field == "file dialog") {
        auto *dialog = new QFileDialog;
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        window.reset(dialog);
        select = selecting(dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")));
    } else if (field == "document" || field == "output pane") {
        auto *editor = new QMDrovebot::Editor;
        window.reset(editor);
        select =
            field == "document" ? selecting<QTextEdit>(editor->textEdit()) : selecting<QTextEdit>(editor->outputArea());
    } else if (field == "compressed content") {
        window.reset(new DlgJSCompressed(nullptr));
        select = selecting(window->findChild<QTextEdit *>());
    } else {
        auto *edit = new QPlainTextEdit;
        window.reset(edit);
        select = selecting(edit);
    }
    QVERIFY(select);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.data()));

    const double share = readableShare(window.data(), select);
    QVERIFY2(share >= 0.03, qPrintable(QStringLiteral("readable share %1").arg(share)));
}

QTEST_MAIN(tst_SelectionColours)
#include "tst_selectioncolours.moc"
