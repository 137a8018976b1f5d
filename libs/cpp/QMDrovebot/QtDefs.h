#pragma once

#include <QObject>

namespace QMDrovebot {

class QtDefs : public QObject
{
    Q_OBJECT

public:
    explicit QtDefs(QObject *parent = nullptr);
};

} // namespace QMDrovebot
