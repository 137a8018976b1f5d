#pragma once

#include <QObject>

namespace QMDrovebot {

// Published to scripts as "QEvent": the event types that sendEvent takes.
class QEventDefs : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int None READ none)
    Q_PROPERTY(int Close READ close)
    Q_PROPERTY(int Hide READ hide)
    Q_PROPERTY(int Show READ show)
    Q_PROPERTY(int Move READ move)
    Q_PROPERTY(int MouseButtonPress READ mouseButtonPress)
    Q_PROPERTY(int MouseButtonRelease READ mouseButtonRelease)
    Q_PROPERTY(int MouseButtonDblClick READ mouseButtonDblClick)

public:
    explicit QEventDefs(QObject *parent = nullptr);

private slots:
    int none();
    int close();
    int hide();
    int show();
    int move();
    int mouseButtonPress();
    int mouseButtonRelease();
    int mouseButtonDblClick();
};

} // namespace QMDrovebot
