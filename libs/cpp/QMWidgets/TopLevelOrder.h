#pragma once

#include <QWidgetList>

namespace QMWidgets {

// The application's top-level widgets in one fixed order, the order in which
// they became top-level (for nearly all, the order of creation), so that
// every walk over the windows (searches, waits, IDs, evidence) finds the same
// widget in every run. The toolkit's own list comes from a hash of widget
// addresses and changes from run to run.
//
// Recording starts as soon as the application object exists, through an
// application-wide event filter, so windows created by anyone are seen. A
// window that was already there when recording started (the library loaded
// into another program), or that became a window without being reparented,
// is placed when first seen, after the known ones, by its class name, object
// name and window title; it then keeps that place.
class TopLevelOrder
{
public:
    static QWidgetList topLevelWidgets();
};

} // namespace QMWidgets
