#include "TestSupport.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"
#include "window/MUITabBar.h"
#include "window/MUITabBarItem.h"

#include <QtTest>

namespace {

// Deviates clearly from the row's background, which the bar's vertical
// gradient keeps even along a row.
bool isInk(QRgb pixel, QRgb background)
{
    return qAbs(qRed(pixel) - qRed(background)) + qAbs(qGreen(pixel) - qGreen(background)) +
               qAbs(qBlue(pixel) - qBlue(background)) >
           60;
}

// The columns of the bar's caption band (its lower half) that hold ink.
QVector<bool> inkColumns(QWidget *bar)
{
    const QImage image = bar->grab().toImage();
    QVector<bool> ink(image.width());
    for (int y = image.height() / 2 + 3; y < image.height() - 1; ++y) {
        QMap<QRgb, int> counts;
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
        const QRgb background = std::max_element(counts.cbegin(), counts.cend()).key();
        for (int x = 0; x < image.width(); ++x)
            ink[x] = ink[x] || isInk(image.pixel(x, y), background);
    }
    return ink;
}

} // namespace

class tst_ToolBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void arrowsPointLikeTheirCaptions_data();
    void arrowsPointLikeTheirCaptions();
    void captionsKeepApart_data();
    void captionsKeepApart();
};

void tst_ToolBar::initTestCase()
{
    TestSupport::useTestIdentity();
    qApp->setQuitOnLastWindowClosed(false);
    qApp->setStyleSheet(JavaScriptEvaluator::applicationStyleSheet());
}

void tst_ToolBar::init()
{
    TestSupport::clearSettings();
}

void tst_ToolBar::arrowsPointLikeTheirCaptions_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("direction");
    QTest::newRow("Undo turns back to the left") << "undoButton" << -1;
    QTest::newRow("Redo turns on to the right") << "redoButton" << 1;
}

void tst_ToolBar::arrowsPointLikeTheirCaptions()
{
    QFETCH(QString, button);
    QFETCH(int, direction);

    JavaScriptEvaluator frame;
    auto *item = frame.tabBar()->findChild<MUITabBarItem *>(button);
    QVERIFY(item);
    const QImage image = item->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!image.isNull());
    // The solid head outweighs the symmetric turn: the picture's weight
    // lies on the side the arrow points to.
    double mass = 0;
    double moment = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            mass += alpha;
            moment += alpha * (x + 0.5);
        }
    }
    QVERIFY(mass > 0);
    const double offset = (moment / mass - image.width() / 2.0) / image.width();
    QVERIFY2(offset * direction > 0.03, qPrintable(QString::number(offset)));
}

void tst_ToolBar::captionsKeepApart_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("default width") << 463;
    QTest::newRow("wide") << 900;
}

void tst_ToolBar::captionsKeepApart()
{
    QFETCH(int, width);

    JavaScriptEvaluator frame;
    frame.resize(width, 515);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    // The bar fits: the window keeps the width asked for.
    QCOMPARE(frame.width(), width);
    QVERIFY(frame.minimumSizeHint().width() <= 463);

    // Captions are clipped to their buttons: the ink inside a button's
    // columns is its caption's.
    const QVector<bool> ink = inkColumns(frame.tabBar());
    QList<MUITabBarItem *> items;
    for (MUITabBarItem *item : frame.tabBar()->findChildren<MUITabBarItem *>())
        if (item->isVisible())
            items << item;
    std::sort(items.begin(), items.end(), [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
    int previousEnd = -1000;
    QString previous;
    for (MUITabBarItem *item : items) {
        int first = -1;
        int last = -1;
        for (int x = item->x(); x <= item->geometry().right(); ++x) {
            if (ink[x]) {
                first = first < 0 ? x : first;
                last = x;
            }
        }
        QVERIFY2(first >= 0, qPrintable(item->caption()));
        QVERIFY2(first - previousEnd > 3, qPrintable(previous + " touches " + item->caption()));
        previousEnd = last;
        previous = item->caption();
    }
}

QTEST_MAIN(tst_ToolBar)
#include "tst_toolbar.moc"
