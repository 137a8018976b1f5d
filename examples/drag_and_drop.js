// drag_and_drop.js - drags text from the Find dialog's search field and
// drops it onto the output pane.
//
// dragAndDrop(source, x1, y1, target, x2, y2) posts a press and a move to
// the source, which starts the widget's own drag; shortly after, the drag's
// data is dropped on the target at (x2, y2). Scripts can make only plain
// widgets and labels (newObject), which neither start drags nor take drops,
// so this uses two of the application's own widgets.

function toolBarButton(caption) {
    var children = getWidgetByClassName("JavaScriptEvaluator").findChildren();
    for (var i = 0; i < children.length; ++i) {
        if (className(children[i]) == "MUITabBarItem" && children[i].caption == caption)
            return children[i];
    }
    return null;
}

mouseClick(toolBarButton("Find"));
// Waits exactly as long as the dialog takes to show, and no longer.
var dialog = waitForWidget("className", "QMDrovebot::FindDialog", 2000);
var field = getSubWidgetByObjectName(dialog, "findLineEdit");
field.clear();
keyPress(field, "dropped words");
waitFor(function () { return field.text == "dropped words"; }, 2000);
// A line edit starts a drag only when allowed to and only from selected text.
field.dragEnabled = true;
field.selectAll();

// Text edits take drops on their viewport, the widget that shows the text.
var pane = getSubWidgetByObjectName(output, "qt_scrollarea_viewport");
output.clear();
dragAndDrop(field, 20, field.height / 2, pane, 5, 5);
waitFor(function () { return output.plainText != ""; }, 2000);

Test.compare(output.plainText, "dropped words");
Test.compare(field.text, "dropped words");   // copied, not moved

// A drag from a widget that starts none drops nothing.
var label = newObject("QLabel");
label.text = "no drag here";
dragAndDrop(label, 5, 5, pane, 5, 5);
// Nothing may change: the wait for a change must run out.
Test.verify(waitFor(function () { return output.plainText != "dropped words"; }, 200) == null);
label.deleteLater();

dialog.hide();
printout("");
printout("The output pane received the dropped text.");
