#pragma once

#include <QObject>

class QWidget;

namespace QMDrovebot {

// Published to scripts as "Qt": the button, modifier and key constants that
// the input functions take, and a label factory.
class QtDefs : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int NoButton READ noButton)
    Q_PROPERTY(int LeftButton READ leftButton)
    Q_PROPERTY(int RightButton READ rightButton)
    Q_PROPERTY(int MiddleButton READ middleButton)
    Q_PROPERTY(int ShiftModifier READ shiftModifier)
    Q_PROPERTY(int MetaModifier READ metaModifier)
    Q_PROPERTY(int ControlModifier READ controlModifier)
    Q_PROPERTY(int AltModifier READ altModifier)
    Q_PROPERTY(int Key_Enter READ key_Enter)
    Q_PROPERTY(int Key_Space READ key_Space)

public:
    explicit QtDefs(QObject *parent = nullptr);

public slots:
    // A new label without parent; the script owns it.
    QWidget *QLabel(const QString &str);
    QWidget *QLabel();

private slots:
    int noButton();
    int leftButton();
    int rightButton();
    int middleButton();
    int shiftModifier();
    int metaModifier();
    int controlModifier();
    int altModifier();
    int key_Enter();
    int key_Space();
};

} // namespace QMDrovebot
