#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>
#include <Qt>

class QWidget;

namespace QMDrovebot {

// The object published as "Support": widget lookup, simulated input, dialogs
// and waiting as slots, for scripts that call them by name. Each slot adapts
// its arguments to the unit that does the work (WidgetLookup, InputSimulator,
// ScriptDialogs), the same units the global functions call. It keeps no
// state. The slot order is the meta-object order scripts see, so new slots
// go at the end.
class Support : public QObject
{
    Q_OBJECT

public:
    explicit Support(QObject *parent = nullptr);

    // The widget that receives simulated shortcuts and a drop's closing
    // Escape. Process-wide; null until a host registers one.
    static void setApplicationWidget(QWidget *widget);
    static QWidget *applicationWidget();

public slots:
    QPixmap grab(QWidget *widget);
    void grabAndSave(QWidget *widget, const QString &fileName);
    QWidget *findVisiblePopup();
    QWidget *findVisibleDialog();
    void dumpHierarchy(QWidget *widget);
    int numOfParents(QWidget *widget);
    void keyPress(QWidget *widget, int key);
    void quitApplication();
    // Runs the event loop for the given time; a negative time counts as 0.
    void delay(int milliseconds);
    // Lets the pending events through once; it does not wait for a dialog.
    void waitForDialogTermination();
    QObject *parentByClassNameSkipNS(QWidget *widget, const QString &className);
    QObject *parentByClassName(QWidget *widget, const QString &className);
    QObject *parentByObjectName(QWidget *widget, const QString &objectName);
    QObject *parentByInherits(QWidget *widget, const QString &className);
    QObject *getWidgetByObjectName(const QString &objectName);
    QObject *getWidgetByWindowTitle(const QString &title);
    QObject *getWidgetByClassName(const QString &className);
    QObject *getWidgetByToolTip(const QString &toolTip);
    QObject *getVisibleWidgetByToolTip(const QString &toolTip);
    QObject *getVisibleWidgetByClassName(const QString &className);
    QObject *getSubWidgetByObjectName(QWidget *widget, const QString &objectName);
    QObject *getVisibleSubWidgetByClassName(QWidget *widget, const QString &className);
    QObject *getSubWidgetByClassName(QWidget *widget, const QString &className);
    QObject *getSubWidgetByInheritClassName(QWidget *widget, const QString &className);
    QObject *getSubWidgetByToolTip(QWidget *widget, const QString &toolTip);
    QObject *getParentWidgetByClassName(QWidget *widget, const QString &className);
    void clickMenuItem(QWidget *widget, const QString &text);
    // Types the text: one key press per character, key code A, the character
    // as the event text.
    void keyPress(QWidget *widget, const QString &text);
    void sendEvent(QWidget *widget, int type);
    // peditor is disabled while the key is posted, so the running script's
    // own editor does not take the shortcut.
    void shortCutPress(const QString &shortcut, QWidget *peditor);
    void shortCutPress(const QString &shortcut);
    void dragAndDrop(QWidget *source, int x1, int y1, QWidget *target, int x2, int y2);
    void informationDialog(const QString &text);
    void messageDialog(int milliseconds, const QString &text);
    QString textDialog(const QString &label, const QString &text);
    int intDialog(const QString &label, int value);
    // Buttons are plain ints (Qt.LeftButton and so on): the script bridge
    // cannot convert a number to the toolkit's button types.
    void mouseMove(QWidget *widget, int x = 1, int y = 1, int mb = Qt::LeftButton, int mbs = Qt::LeftButton);
    void mousePress(QWidget *widget, int x = 1, int y = 1, int mb = Qt::LeftButton, int mbs = Qt::LeftButton);
    void mouseRelease(QWidget *widget, int x = 1, int y = 1, int mb = Qt::LeftButton, int mbs = Qt::LeftButton);
    // A negative coordinate means the middle of the widget.
    void mouseClick(QWidget *widget, int x = -1, int y = -1, int mb = Qt::LeftButton, int mbs = Qt::LeftButton);
    void mouseDoubleClick(QWidget *widget, int x = 1, int y = 1, int mb = Qt::LeftButton, int mbs = Qt::LeftButton);
};

} // namespace QMDrovebot
