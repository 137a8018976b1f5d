#pragma once

#include <QObject>

namespace QMDrovebot {

class TestObj : public QObject
{
    Q_OBJECT

public:
    explicit TestObj(QObject *parent = nullptr);
};

} // namespace QMDrovebot
