// screenshot.js - Corvella draws its own picture: a sample script in the
// editor, what the sample printed below it, saved as docs/corvella.png.
//
// From the project root, under a real X server, so that fonts and the style
// look as on a desktop:
//     xvfb-run -a ./corvella --run examples/screenshot.js
// From any other folder (the test suite runs it from its build folder) the
// picture is drawn and checked but not saved.

var sample = [
    "// Find tool-bar buttons by name and check what they show.",
    "var names = [\"runButton\", \"stopButton\", \"findButton\"];",
    "printout(\"<b>Corvella drives its own window</b>\");",
    "for (var i = 0; i < names.length; ++i) {",
    "    var button = getWidgetByObjectName(names[i]);",
    "    printout(names[i] + \" shows \" + button.caption);",
    "}",
    "Test.compare(getWidgetByObjectName(\"runButton\").caption, \"Run\");",
    "printout(\"All checks passed.\");"
].join("\n");

var frame = getWidgetByClassName("JavaScriptEvaluator");
var oldSize = frame.size;

// A new document, so the script file itself is never replaced.
mouseClick(getWidgetByObjectName("newButton"));
waitFor(function () { return frame.windowTitle == ""; }, 2000);
var doc = getWidgetByClassName("QMDrovebot::DocWindow");
doc.plainText = sample;

// The sample runs here as it would under Run: its output fills the pane.
output.clear();
eval(sample);

// One size whatever the stored window size; the stored size comes back below.
frame.minimumWidth = frame.maximumWidth = 600;
frame.minimumHeight = frame.maximumHeight = 500;
waitFor(function () { return frame.width == 600 && frame.height == 500; }, 2000);

var picture = grab(frame);
Test.verify(picture != null && picture.width == 600 && picture.height == 500);
picture.deleteLater();

var atProjectRoot = getFileNames("docs", "scripting.md").length == 1;
if (atProjectRoot)
    grabAndSave(frame, "docs/corvella.png");

frame.minimumWidth = frame.minimumHeight = 0;
frame.maximumWidth = frame.maximumHeight = 16777215;
frame.size = oldSize;
printout(atProjectRoot ? "Saved docs/corvella.png" : "Not at the project root: nothing saved");
