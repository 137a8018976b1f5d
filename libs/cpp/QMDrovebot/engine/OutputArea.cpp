#include "OutputArea.h"

namespace QMDrovebot {

OutputArea::OutputArea(QWidget *parent)
    : QTextEdit(parent)
{
}

} // namespace QMDrovebot
