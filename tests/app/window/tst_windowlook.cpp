#include "TestSupport.h"
#include "window/DlgJSCompressed.h"
#include "window/JavaScriptEvaluator.h"
#include "window/MUITabBar.h"
#include "window/MUITabBarItem.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QTextEdit>
#include <QtTest>
#include <cmath>

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/FindDialog.h>
#include <QMDrovebot/engine/OutputArea.h>

namespace {

QRgb commonest(const QMap<QRgb, int> &counts)
{
    return std::max_element(counts.cbegin(), counts.cend()).key();
}

// The columns of the bar's caption band (its lower half) with ink: pixels
// far from their row's commonest colour, since the bar's gradient is
// vertical.
QVector<bool> inkColumns(QWidget *bar)
{
    const QImage image = bar->grab().toImage();
    QVector<bool> ink(image.width());
    for (int y = image.height() / 2 + 3; y < image.height() - 1; ++y) {
        QMap<QRgb, int> counts;
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
        const QRgb b = commonest(counts);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            ink[x] = ink[x] || qAbs(qRed(p) - qRed(b)) + qAbs(qGreen(p) - qGreen(b)) + qAbs(qBlue(p) - qBlue(b)) > 60;
        }
    }
    return ink;
}

double luminance(QRgb pixel)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) + 0.0722 * linear(qBlue(pixel));
}

// The share of the selection (where selecting changed the picture) drawn in
// a colour with a contrast ratio of at least 3 to the selection's bar, its
// commonest colour: the selected text.
double readableShare(QWidget *window, const std::function<void(bool)> &select)
{
    // A blinking text cursor would count as drawn on the selection.
    if (QWidget *focus = QApplication::focusWidget())
        focus->clearFocus();
    select(false);
    const QImage plain = window->grab().toImage();
    select(true);
    const QImage selected = window->grab().toImage();
    QMap<QRgb, int> counts;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (selected.pixel(x, y) != plain.pixel(x, y))
                ++counts[selected.pixel(x, y)];
    if (counts.isEmpty())
        return 0;
    const double bar = luminance(commonest(counts));
    int readable = 0;
    int all = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double l = luminance(it.key());
        all += it.value();
        readable += (qMax(l, bar) + 0.05) / (qMin(l, bar) + 0.05) >= 3 ? it.value() : 0;
    }
    return double(readable) / all;
}

std::function<void(bool)> selecting(QLineEdit *edit)
{
    edit->setText(QStringLiteral("Selected words 0123"));
    return [edit](bool on) { on ? edit->selectAll() : edit->deselect(); };
}

std::function<void(bool)> selecting(QTextEdit *edit)
{
    edit->setPlainText(QStringLiteral("Selected words 0123"));
    return [edit](bool on) { on ? edit->selectAll() : edit->moveCursor(QTextCursor::End); };
}

} // namespace

class tst_WindowLook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void arrowsPointLikeTheirCaptions_data();
    void arrowsPointLikeTheirCaptions();
    void captionsKeepApart_data();
    void captionsKeepApart();
    void selectedTextIsReadable_data();
    void selectedTextIsReadable();
};

void tst_WindowLook::initTestCase()
{
    TestSupport::useTestIdentity();
    TestSupport::clearSettings();
    qApp->setQuitOnLastWindowClosed(false);
    qApp->setStyleSheet(JavaScriptEvaluator::applicationStyleSheet());
}

void tst_WindowLook::arrowsPointLikeTheirCaptions_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("direction");
    QTest::newRow("Undo turns back to the left") << "undoButton" << -1;
    QTest::newRow("Redo turns on to the right") << "redoButton" << 1;
}

void tst_WindowLook::arrowsPointLikeTheirCaptions()
{
    QFETCH(QString, button);
    QFETCH(int, direction);

    JavaScriptEvaluator frame;
    auto *item = frame.tabBar()->findChild<MUITabBarItem *>(button);
    QVERIFY(item);
    const QImage image = item->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    // The solid head outweighs the symmetric turn: the picture's weight
    // lies on the side the arrow points to.
    double mass = 0;
    double moment = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            mass += qAlpha(image.pixel(x, y));
            moment += qAlpha(image.pixel(x, y)) * (x + 0.5);
        }
    }
    QVERIFY(mass > 0);
    const double offset = (moment / mass - image.width() / 2.0) / image.width();
    QVERIFY2(offset * direction > 0.03, qPrintable(QString::number(offset)));
}

void tst_WindowLook::captionsKeepApart_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("default width") << 463;
    QTest::newRow("wide") << 900;
}

void tst_WindowLook::captionsKeepApart()
{
    QFETCH(int, width);

    JavaScriptEvaluator frame;
    frame.resize(width, 515);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    // The bar fits: the window keeps the width asked for.
    QCOMPARE(frame.width(), width);
    QVERIFY(frame.minimumSizeHint().width() <= 463);

    // Captions are clipped to their buttons: the ink in a button's columns
    // is its caption's.
    const QVector<bool> ink = inkColumns(frame.tabBar());
    QList<MUITabBarItem *> items;
    for (MUITabBarItem *item : frame.tabBar()->findChildren<MUITabBarItem *>())
        if (item->isVisible())
            items << item;
    std::sort(items.begin(), items.end(), [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
    int previousEnd = -1000;
    QString previous;
    for (MUITabBarItem *item : items) {
        const int first =
            int(std::find(ink.begin() + item->x(), ink.begin() + item->geometry().right(), true) - ink.begin());
        QVERIFY2(first < item->geometry().right(), qPrintable(item->caption()));
        QVERIFY2(first - previousEnd > 3, qPrintable(previous + " touches " + item->caption()));
        previousEnd = item->geometry().right();
        while (!ink[previousEnd])
            --previousEnd;
        previous = item->caption();
    }
}

void tst_WindowLook::selectedTextIsReadable_data()
{
    QTest::addColumn<QString>("field");
    for (const char *field : {"line edit", "find dialog", "file dialog", "document", "output pane", "compressed"})
        QTest::newRow(field) << field;
}

void tst_WindowLook::selectedTextIsReadable()
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
    } else if (field == "compressed") {
        window.reset(new DlgJSCompressed(nullptr));
        select = selecting(window->findChild<QTextEdit *>());
    } else {
        auto *editor = new QMDrovebot::Editor;
        window.reset(editor);
        select = selecting(field == "document" ? static_cast<QTextEdit *>(editor->textEdit()) : editor->outputArea());
    }
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.data()));
    const double share = readableShare(window.data(), select);
    QVERIFY2(share >= 0.03, qPrintable(QStringLiteral("readable share %1").arg(share)));
}

QTEST_MAIN(tst_WindowLook)
#include "tst_windowlook.moc"
