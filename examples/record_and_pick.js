// record_and_pick.js - Corvella writes script lines for you: Pick Widget
// (Ctrl+Shift+K) puts the expression that finds a widget at the cursor, and
// Record (Ctrl+Shift+R) turns what you do into lines, a dialog's answer
// included. Here a script does what you would do with the mouse.
//
// From the project root, under a real X server, it also draws
// docs/corvella-recording.png, the picture of a recording in progress:
//     xvfb-run -a ./corvella --run examples/record_and_pick.js
// From any other folder (the test suite runs it from its build folder) the
// picture is drawn and checked but not saved.

var frame = getWidgetByClassName("JavaScriptEvaluator");
var oldSize = frame.size;
frame.minimumWidth = frame.maximumWidth = 600;
frame.minimumHeight = frame.maximumHeight = 500;

// A new document to write into, so this file is never changed.
mouseClick(getWidgetByObjectName("newButton"));
waitFor(function () { return frame.windowTitle == ""; }, 2000);
var doc = getWidgetByClassName("QMDrovebot::DocWindow");
doc.plainText = "";

// 1. Pick: point at the Zoom In button and click it. The click does not
//    zoom; it writes the expression that finds the button.
var zoomIn = getWidgetByObjectName("zoomInButton");
shortCutPress("Ctrl+Shift+K");
delay(0);
Support.mouseMove(zoomIn, 5, 5);
mouseClick(zoomIn);
waitFor(function () { return doc.plainText != ""; }, 2000);
Test.compare(doc.plainText, "getWidgetByObjectName(\"zoomInButton\")");

// 2. Record: zoom in and out, then open the Compress dialog and cancel it. The
//    dialog is modal, so its answer is written into a handler that the
//    replay starts before the click.
doc.plainText = "";
keyPress(doc, "// Recorded by record_and_pick.js:");
enterPress(doc);
delay(0);
shortCutPress("Ctrl+Shift+R");
var state = getWidgetByObjectName("recordingState");
Test.verify(waitFor(function () { return state.visible; }, 2000));
mouseClick(zoomIn);
mouseClick(getWidgetByObjectName("zoomOutButton"));
var answer = singleShotTimer(50);
answer.timeout.connect(function () {
    var dialog = getWidgetByWindowTitle("Compressor Dialog");
    if (dialog == null || !dialog.visible)
        return answer.start();
    mouseClick(cancelButton(dialog));
});
mouseClick(getWidgetByObjectName("compressButton"));
delay(0);

// The picture: the recorded lines, and the state in the status bar.
var picture = grab(frame);
Test.verify(picture != null && picture.width == 600);
picture.deleteLater();
var atProjectRoot = getFileNames("docs", "scripting.md").length == 1;
if (atProjectRoot)
    grabAndSave(frame, "docs/corvella-recording.png");

// The dialog is closed: the shortcut reaches the window again.
shortCutPress("Ctrl+Shift+R");
Test.verify(waitFor(function () { return !state.visible; }, 2000));
var recorded = doc.plainText;
Test.verify(recorded.indexOf("mouseClick(getWidgetByObjectName(\"zoomInButton\"));") > 0);
Test.verify(recorded.indexOf("waitForWidget(\"windowTitle\", \"Compressor Dialog\", 10000)") > 0);
printout("<pre>" + recorded.replace(/&/g, "&amp;").replace(/</g, "&lt;") + "</pre>");

frame.minimumWidth = frame.minimumHeight = 0;
frame.maximumWidth = frame.maximumHeight = 16777215;
frame.size = oldSize;

// The button of `dialog` that shows "&Cancel".
function cancelButton(dialog) {
    var children = dialog.findChildren();
    for (var i = 0; i < children.length; ++i) {
        if (children[i].text == "&Cancel")
            return children[i];
    }
    return null;
}
