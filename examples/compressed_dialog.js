// compressed_dialog.js - opens the compressed-content dialog and closes it
// again from a timer, the way a script answers any modal dialog.
//
// A modal dialog blocks the script's call that opened it, so the answer is
// arranged first: a single-shot timer whose function runs inside the
// dialog's own event loop (the prelude's dialogHandler does the same).

var frame = getWidgetByClassName("JavaScriptEvaluator");
var compressButton = getSubWidgetByObjectName(frame, "compressButton");
Test.compare(compressButton.caption, "Compress");

var seen = "";
var compressed = "";
// The answer looks every 50 ms until the dialog is there.
var answer = createTimer();
answer.interval = 50;
answer.timeout.connect(function() {
    var dialog = getWidgetByWindowTitle("Compressor Dialog");
    if (dialog == null)
        return;
    answer.stop();
    seen = className(dialog);
    // The dialog shows the minified script in a text edit.
    compressed = getSubWidgetByInheritClassName(dialog, "QTextEdit").plainText;
    // Closing by the window's close event, as the title bar's X would.
    sendEvent(dialog, QEvent.Close);
});

// The click opens the dialog while the script waits; the wait ends once the
// dialog has been answered.
answer.start();
mouseClick(compressButton);
waitFor(function() { return seen != ""; }, 5000);

Test.compare(seen, "DlgJSCompressed");
// The dialog shows this very script, minified: comments and indentation
// are gone, so it is shorter, and it no longer starts with a comment.
var document = getWidgetByClassName("QMDrovebot::DocWindow");
Test.verify(compressed.length > 0);
Test.verify(compressed.length < document.plainText.length);
Test.verify(compressed.indexOf("//") != 0);
Test.verify(getVisibleDialog() == null);
printout("The compressed script has " + compressed.length + " characters.");
