#pragma once

#include <QTextEdit>

namespace QMDrovebot {

// The output pane. Published to scripts as "output", so every public slot of
// a text edit (append, clear, setHtml, ...) is reachable from a script.
class OutputArea : public QTextEdit
{
    Q_OBJECT

public:
    explicit OutputArea(QWidget *parent = nullptr);
};

} // namespace QMDrovebot
