// clear_by_shortcut.js - Ctrl+L (Orders > Clear All...) asks first; the
// shortcut goes to the program's active window, the question is answered
// with its Yes button.
getWidgetByObjectName("customer").text = "Linus";
mouseClick(getWidgetByObjectName("addButton"));
waitFor(function () { return getWidgetByObjectName("orders").rowCount > 0; }, 5000);

var asked = "";
var questionTimer = singleShotTimer(100);
questionTimer.timeout.connect(function () {
    var dialog = getVisibleDialog();
    if (dialog == null) {
        questionTimer.start();
        return;
    }
    asked = dialog.windowTitle;
    mouseClick(buttonWithText(dialog, "&Yes"));
});
shortCutPress("Ctrl+L");
waitFor(function () { return getWidgetByObjectName("orders").rowCount == 0; }, 5000);
Test.compare(asked, "Clear All");
printout("cleared after the question \"" + asked + "\"");

// The button among a dialog's children that shows `text`.
function buttonWithText(dialog, text) {
    var children = dialog.findChildren();
    for (var i = 0; i < children.length; ++i) {
        if (children[i].text == text && Support.parentByInherits(children[i], "QAbstractButton") == children[i])
            return children[i];
    }
    return null;
}
