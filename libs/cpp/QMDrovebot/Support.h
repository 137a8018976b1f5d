#pragma once

#include <QObject>

namespace QMDrovebot {

class Support : public QObject
{
    Q_OBJECT

public:
    explicit Support(QObject *parent = nullptr);
};

} // namespace QMDrovebot
