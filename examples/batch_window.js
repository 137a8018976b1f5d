// batch_window.js - opens the batch runner, loads a list of scripts through
// its file dialog, runs the list and reads each row's state.
//
// The list is batch/demo.jslst beside this script: one script that passes
// and one that fails on purpose. Both run in the batch runner's own editor,
// so this script's output pane only shows what this script prints.

// A button of a window, by its text.
function buttonOf(window, text) {
    var children = window.findChildren();
    for (var i = 0; i < children.length; ++i) {
        if (children[i].text == text && Support.parentByInherits(children[i], "QAbstractButton") != null)
            return children[i];
    }
    return null;
}

// The frame's title is this script's path; the list lies beside it.
var frame = getWidgetByClassName("JavaScriptEvaluator");
var here = frame.windowTitle;
var list = here.substring(0, here.lastIndexOf("/")) + "/batch/demo.jslst";

// 1. The App button's menu leads with "Batch Runner…" (F9 does the same). A
//    menu blocks the click that opened it, so the entry is chosen from a
//    timer that runs while the menu is open.
singleShotTimer(300).timeout.connect(function() {
    clickMenuItem(getVisiblePopup(), "Batch Runner\u2026");
});
mouseClick(getSubWidgetByObjectName(frame, "appButton"));
delay(300);
var runner = getWidgetByClassName("QMDrovebot::MainWindow");
Test.verify(runner != null && runner.visible);
var area = getSubWidgetByClassName(runner, "QMDrovebot::BatchArea");

// 2. "Load List" asks for the file in a modal dialog: type the path into its
//    file name field and press Enter, again from a timer.
singleShotTimer(300).timeout.connect(function() {
    var field = getSubWidgetByObjectName(getVisibleDialog(), "fileNameEdit");
    keyPress(field, list);
    enterPress(field);
});
mouseClick(buttonOf(area, "Load List"));
delay(300);
Test.compare(area.paths().length, 2);

// 3. "Start" runs the rows one after another; the click returns when the
//    last one has ended. Each row then reads "Done" or "Error".
mouseClick(buttonOf(area, "Start"));
delay(100);
Test.compare(area.states().join(", "), "Done, Error");

printout("Batch rows: " + area.states().join(", "));
runner.hide();
