// A short tour of Corvella scripts. Press Run (or, without a window:
// ./corvella --run examples/tour.js) and read the grey output pane below.

include("lib_greeting.js");

// 1. The line above copies lib_greeting.js in front of this script before
//    it runs, so the functions it declares are ready here. A name without
//    "/" is looked up in this script's folder.
//    Only real calls count, with the file name in quotes right inside the
//    brackets: the word in a comment or in a text includes nothing.

// 2. printout() adds one paragraph to the output pane. Any value becomes
//    text, and text that looks like HTML is shown as HTML.
printout(greeting("new user"));
printout("Arithmetic works as in any JavaScript: 6 * 7 = " + 6 * 7);
printList("Things a script can do here", [
    "print to this pane",
    "use functions kept in other files",
    "find the application's widgets and click them",
    "keep a protocol of its work"
]);

// 3. The output pane itself is the object `output`. Its plainText property
//    holds what the pane shows; append() adds a paragraph as printout() does.
var lines = output.plainText.split("\n").length;
output.append("The pane holds " + lines + " lines so far (counted with output.plainText).");

// 4. Mistakes are caught like in any JavaScript. An error nobody catches
//    ends the script and is shown in red with its line in this file.
try {
    undefinedFunction();
} catch (e) {
    printout("Caught: " + e.message);
}

// 5. A protocol line. printToScriptLog() appends a time-stamped line to
//    protocol/tour.log beside this script and shows the same line here.
//    saveOutputToProtocol() would save a snapshot of the whole pane there.
printToScriptLog("the tour ran to the end");

// Global variables stay in the editor's engine: run the tour again and
// `runs` keeps counting.
var runs = (typeof runs === "undefined") ? 1 : runs + 1;
printout("Runs of this script in this window: " + runs);
