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

// A menu or a modal dialog holds the script inside the call that opened it,
// so it is answered from a timer: `act` gets what `find` returns as soon as
// that is there, looked for every 50 ms.
function whenThere(find, act) {
    var timer = createTimer();
    timer.interval = 50;
    timer.timeout.connect(function() {
        var found = find();
        if (found != null) {
            timer.stop();
            act(found);
        }
    });
    timer.start();
}

// The frame's title is this script's path; the list lies beside it.
var frame = getWidgetByClassName("JavaScriptEvaluator");
var here = frame.windowTitle;
var list = here.substring(0, here.lastIndexOf("/")) + "/batch/demo.jslst";

// 1. The App button's menu leads with "Batch Runner…" (F9 does the same). A
//    menu blocks the click that opened it, so the entry is chosen from a
//    timer that runs while the menu is open.
whenThere(getVisiblePopup, function(menu) { clickMenuItem(menu, "Batch Runner\u2026"); });
mouseClick(getSubWidgetByObjectName(frame, "appButton"));
var runner = waitForWidget("className", "QMDrovebot::MainWindow", 5000);
Test.verify(runner != null && runner.visible);
var area = getSubWidgetByClassName(runner, "QMDrovebot::BatchArea");

// 2. "Load List" asks for the file in a modal dialog: type the path into its
//    file name field and press Enter, again from a timer.
whenThere(function() { return getWidgetByWindowTitle("Load List"); }, function(dialog) {
    var field = getSubWidgetByObjectName(dialog, "fileNameEdit");
    keyPress(field, list);
    enterPress(field);
});
mouseClick(buttonOf(area, "Load List"));
waitFor(function() { return area.paths().length == 2; }, 5000);
Test.compare(area.paths().length, 2);

// 3. "Start" runs the rows one after another; the click returns when the
//    last one has ended. Each row then reads "Done" or "Error".
mouseClick(buttonOf(area, "Start"));
waitFor(function() { return area.states().join(", ") == "Done, Error"; }, 10000);
Test.compare(area.states().join(", "), "Done, Error");

printout("Batch rows: " + area.states().join(", "));
runner.hide();
