#include "OutputArea.h"

#include "LongLineLayout.h"

namespace QMDrovebot {

OutputArea::OutputArea(QWidget *parent)
    : QTextEdit(parent)
{
    // Scripts print and throw whole files' worth of text on one line.
    new LongLineLayout(document());
}

} // namespace QMDrovebot
