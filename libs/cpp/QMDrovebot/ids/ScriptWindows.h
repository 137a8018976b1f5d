#pragma once

#include <QWidgetList>

namespace QMDrovebot {

// The top-level windows that scripts search, wait for, name and picture, in
// the order they were made (QMWidgets::TopLevelOrder).
//
// Inside another program (attached, or linked in through the library),
// Corvella's own windows are tools beside that program: the searches leave
// them out, so a script that looks for "the first QLineEdit" finds the
// program's, never the script editor's. Corvella's own program keeps its
// windows searchable, since scripts there drive them.
namespace ScriptWindows {

QWidgetList topLevels();
// True for a window (or a widget in it) that belongs to Corvella's tools: a
// QMDrovebot window, a dialog above one, or one marked with markOwn().
bool isOwn(const QWidget *widget);
// For the few parentless windows the tools create (an output window).
void markOwn(QWidget *window);

void setHidesOwnWindows(bool hide);
bool hidesOwnWindows();

} // namespace ScriptWindows

} // namespace QMDrovebot
