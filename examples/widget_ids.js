// widget_ids.js - generates the widget IDs, finds a button by its ID and puts
// the original tool tips back.
//
// generateIDs() names every widget by its place in the window tree and shows
// the name as its tool tip; hovering a widget then copies the name to the
// clipboard, ready to be pasted into a script and used with getWidgetByID.

var findButton = getWidgetByObjectName("findButton");
Test.compare(findButton.toolTip, "");

generateIDs();
var id = findButton.toolTip;
// The button has an object name, so its ID reads "O#" + that name.
Test.compare(id, "O#findButton");
Test.compare(getWidgetByID(id).caption, "Find");

// Widgets that look alike get a distinct "F#" + number prefix: the tool-bar
// separators have neither names nor texts.
var frame = getWidgetByClassName("JavaScriptEvaluator");
var separators = [];
var children = frame.findChildren();
for (var i = 0; i < children.length; ++i) {
    if (className(children[i]) == "QFrame")
        separators.push(children[i].toolTip);
}
Test.verify(separators.length > 1);
Test.verify(separators[0].indexOf("F#") == 0);
Test.verify(separators[0] != separators[1]);
Test.compare(getWidgetByID(separators[1]).toolTip, separators[1]);

// Back to the original tool tips. Only what was saved when the editor
// started is put back: the output pane had no tool tip then, so its ID goes
// and no longer finds it. The tool-bar buttons are made later and had no
// tool tip of their own to save, so they keep their IDs.
var paneId = output.toolTip;
restoreOriginalToolTips();
Test.compare(output.toolTip, "");
Test.verify(getWidgetByID(paneId) == null);
Test.compare(findButton.toolTip, id);
Test.compare(getWidgetByID(id).caption, "Find");

// Generating again shows the very same IDs.
generateIDs();
Test.compare(output.toolTip, paneId);
restoreOriginalToolTips();

printout("Find button: " + id);
printout("First separator: " + separators[0]);
// This system's own classes appear by their full names.
printout("Output pane: " + paneId);
