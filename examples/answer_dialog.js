// answer_dialog.js - finds a button by its tool tip, clicks it, waits for the
// dialog it opens, answers it and checks the result.

// 1. Find the button. Corvella's own buttons carry no tool tips of their
//    own: generateIDs() gives every widget its ID as tool tip (hover a
//    widget to copy it), and a lookup by tool tip finds it.
generateIDs();
var button = getWidgetByToolTip("O#compressButton");
Test.verify(button != null);

// 2. The dialog is modal: while it is open, the script stays inside the
//    call that let the click through (waitFor below). So the answer is
//    arranged before the click, in a timer function that runs while the
//    dialog is open. It looks every 100 ms until the dialog is there, and
//    finds it by its title: other dialogs (Find) may be open too.
var shown = "";
var tries = 0;
var timer = singleShotTimer(100);
timer.timeout.connect(function () {
    var dialog = getWidgetByWindowTitle("Compressor Dialog");
    if (dialog == null) {
        if (++tries < 50)
            timer.start();
        return;
    }
    shown = getSubWidgetByInheritClassName(dialog, "QTextEdit").plainText;
    mouseClick(buttonWithText(dialog, "&Cancel"));
});

// 3. Click. The click is posted: it happens while the script waits, and
//    the wait ends as soon as the dialog has been answered.
mouseClick(button);
waitFor(function () { return shown != ""; }, 5000);

// 4. Check the result: the dialog showed this script, minified, and it
//    is closed again.
Test.verify(shown.indexOf("buttonWithText") >= 0);
Test.verify(shown.length < getWidgetByClassName("QMDrovebot::DocWindow").plainText.length);
Test.verify(getWidgetByWindowTitle("Compressor Dialog") == null);
restoreOriginalToolTips();
printout("The dialog showed " + shown.length + " characters and was cancelled.");

// The button among a widget's children that shows `text`.
function buttonWithText(parentWidget, text) {
    var children = parentWidget.findChildren();
    for (var i = 0; i < children.length; ++i) {
        var child = children[i];
        if (child.text == text && Support.parentByInherits(child, "QAbstractButton") == child)
            return child;
    }
    return null;
}
