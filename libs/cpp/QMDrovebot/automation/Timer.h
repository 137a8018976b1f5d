#pragma once

#include <QTimer>

namespace QMDrovebot {

// The timer scripts create: single-shot, so a script that connects a function
// to timeout() gets exactly one call per start().
class Timer : public QTimer
{
    Q_OBJECT

public:
    explicit Timer(QObject *parent = nullptr);
};

} // namespace QMDrovebot
