#include "OutputArea.h"

#include "LongLineLayout.h"

namespace QMDrovebot {

OutputArea::OutputArea(QWidget *parent)
    : QTextEdit(parent)
{
    // Scripts print and throw whole files' worth of text on one line.
    new LongLineLayout(document());
    // A scroll bar that appears when the text outgrows the view narrows it
    // and re-wraps every line: for a long print, a second layout.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

} // namespace QMDrovebot
