#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/ids/WidgetIds.h>

#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using QMDrovebot::WidgetIds;

// Restoring puts back only the tool tips that were saved: a widget with
// nothing saved keeps its ID, and the ID still finds it.
class tst_ToolTipRestore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void restorePutsBackOnlyWhatWasSaved_data();
    void restorePutsBackOnlyWhatWasSaved();

private:
    std::unique_ptr<QWidget> m_window;
    QMap<QString, QPushButton *> m_buttons;
    QMap<QString, QString> m_ids;
};

void tst_ToolTipRestore::initTestCase()
{
    // The saved tool tips are recorded once per process, when the first
    // editor is built; widgets made later are the frame's tool bar, its
    // status bar and the like.
    m_window = std::make_unique<QWidget>();
    m_window->setObjectName(QStringLiteral("window"));
    auto *layout = new QVBoxLayout(m_window.get());
    const auto add = [&](const QString &name, const QString &tip) {
        auto *button = new QPushButton(name);
        button->setObjectName(name);
        button->setToolTip(tip);
        layout->addWidget(button);
        m_buttons.insert(name, button);
    };
    add(QStringLiteral("recordedTip"), QStringLiteral("own tip"));
    add(QStringLiteral("recordedBare"), QString());
    WidgetIds::recordToolTips();
    add(QStringLiteral("lateTip"), QStringLiteral("late tip"));
    add(QStringLiteral("lateBare"), QString());

    WidgetIds::generateIDs();
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
        m_ids.insert(it.key(), WidgetIds::id(it.value()));
    WidgetIds::restoreOriginalToolTips();
}

void tst_ToolTipRestore::restorePutsBackOnlyWhatWasSaved_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("toolTip"); // "ID": the button's ID
    QTest::addColumn<bool>("foundById");

    QTest::newRow("recorded with a tool tip") << "recordedTip"
                                              << "own tip" << false;
    QTest::newRow("recorded without one") << "recordedBare" << QString() << false;
    QTest::newRow("made later, with a tool tip") << "lateTip"
                                                 << "late tip" << false;
    QTest::newRow("made later, nothing to save") << "lateBare"
                                                 << "ID" << true;
}

void tst_ToolTipRestore::restorePutsBackOnlyWhatWasSaved()
{
    QFETCH(QString, button);
    QFETCH(QString, toolTip);
    QFETCH(bool, foundById);

    QPushButton *widget = m_buttons.value(button);
    const QString id = m_ids.value(button);
    QVERIFY(!id.isEmpty());
    QCOMPARE(widget->toolTip(), toolTip == QLatin1String("ID") ? id : toolTip);
    QObject *found = QMDrovebot::Support().getWidgetByToolTip(id);
    QCOMPARE(found == widget, foundById);
}

QTEST_MAIN(tst_ToolTipRestore)
#include "tst_tooltiprestore.moc"
