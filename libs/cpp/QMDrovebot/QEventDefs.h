#pragma once

#include <QObject>

namespace QMDrovebot {

class QEventDefs : public QObject
{
    Q_OBJECT

public:
    explicit QEventDefs(QObject *parent = nullptr);
};

} // namespace QMDrovebot
