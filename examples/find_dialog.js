// find_dialog.js - drives Corvella's Find dialog the way a user's test would.
//
// The word the test searches for stands on the next line, and nowhere else
// in this file (the script below spells it in two halves):
//     zebrafish
//
// Run it with the Run button, or headless: corvella --run find_dialog.js
// Every check goes through Test.compare or Test.verify: a failed check adds
// a red line to the output pane and marks the run as failed.

// The tool-bar buttons paint their caption themselves; it is readable as the
// property "caption". findChildren() is offered by every published object.
function toolBarButton(caption) {
    var frame = getWidgetByClassName("JavaScriptEvaluator");
    var children = frame.findChildren();
    for (var i = 0; i < children.length; ++i) {
        if (className(children[i]) == "MUITabBarItem" && children[i].caption == caption)
            return children[i];
    }
    return null;
}

// A button of a dialog, by its text.
function buttonOf(dialog, text) {
    var children = dialog.findChildren();
    for (var i = 0; i < children.length; ++i) {
        if (children[i].text == text && Support.parentByInherits(children[i], "QAbstractButton") != null)
            return children[i];
    }
    return null;
}

var word = "zebra" + "fish";

// 1. Press "Find". Clicks are posted: they happen while the script waits.
var findButton = toolBarButton("Find");
Test.verify(findButton != null);
// The same button by its object name.
Test.compare(getWidgetByObjectName("findButton").caption, "Find");
mouseClick(findButton);

// 2. Wait for the dialog (no longer than it takes), then type the word into
// its search field.
var dialog = waitForWidget("className", "QMDrovebot::FindDialog", 2000);
Test.verify(dialog != null);
Test.compare(className(dialog), "QMDrovebot::FindDialog");
var field = getSubWidgetByObjectName(dialog, "findLineEdit");
keyPress(field, word);
Test.verify(waitFor(function () { return field.text == word; }, 2000));

// 3. Listen to the editor's cursor, then press "Find Next".
var row = 0, column = 0;
var editor = getWidgetByClassName("QMDrovebot::Editor");
editor.cursorPositionChanged.connect(function(r, c) { row = r; column = c; });
mouseClick(buttonOf(dialog, "Find Next"));
waitFor(function () { return row > 0; }, 2000);

// The match is the word in the comment at the top, and the cursor stands
// right after it. Rows and columns count from 1.
var document = getSubWidgetByClassName(editor, "QMDrovebot::DocWindow");
var lines = document.plainText.split("\n");
var line = 0;
while (lines[line].indexOf(word) < 0)
    ++line;
Test.compare(row, line + 1);
Test.compare(column, lines[line].indexOf(word) + word.length + 1);

// 4. The selection is the word: copy it and paste it into the emptied field.
field.clear();
document.copy();
field.paste();
Test.compare(field.text, word);

// 5. "Close" only hides the dialog.
mouseClick(buttonOf(dialog, "Close"));
Test.verify(waitFor(function () { return !dialog.visible; }, 2000));
Test.verify(getVisibleDialog() == null);
Test.verify(!dialog.visible);

printout("Found '" + word + "' at line " + row + ", column " + column);
