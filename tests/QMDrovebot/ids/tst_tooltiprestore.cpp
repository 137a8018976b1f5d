#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/ids/WidgetIds.h>

#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

using QMDrovebot::WidgetIds;

// Restoring puts back only the tool tips that were saved: a widget with
// nothing saved keeps its ID, and the ID still finds it.
class tst_ToolTipRestore : public QObject
{
    Q_OBJECT

private slots:
    void restorePutsBackOnlyWhatWasSaved();
};

void tst_ToolTipRestore::restorePutsBackOnlyWhatWasSaved()
{
    // Tool tips are recorded once per process, when the first editor is
    // built; the frame's tool bar, status bar and the like come later.
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    QVector<QPushButton *> buttons;
    for (const char *tip : {"recorded tip", "", "late tip", ""}) {
        if (buttons.size() == 2)
            WidgetIds::recordToolTips();
        buttons << new QPushButton(QStringLiteral("B%1").arg(buttons.size()));
        buttons.last()->setToolTip(QString::fromLatin1(tip));
        layout->addWidget(buttons.last());
    }
    WidgetIds::generateIDs();
    const QString lateId = WidgetIds::id(buttons.at(3));
    QVERIFY(!lateId.isEmpty());
    WidgetIds::restoreOriginalToolTips();

    const QStringList restored{"recorded tip", "", "late tip", lateId};
    for (int i = 0; i < buttons.size(); ++i)
        QCOMPARE(buttons.at(i)->toolTip(), restored.at(i));
    QCOMPARE(QMDrovebot::Support().getWidgetByToolTip(lateId), buttons.at(3));
}

QTEST_MAIN(tst_ToolTipRestore)
#include "tst_tooltiprestore.moc"
