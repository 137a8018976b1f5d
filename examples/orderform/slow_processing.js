// slow_processing.js - "Process" takes about two seconds; the script waits
// for the progress bar to fill instead of sleeping.
var button = getWidgetByObjectName("processButton");
mouseClick(button);
waitFor(function () { return !button.enabled; }, 5000);
waitFor(function () { return getWidgetByObjectName("progress").value == 100; }, 20000);
waitFor(function () { return button.enabled; }, 5000);
Test.verify(getWidgetByObjectName("status").text.indexOf("Processed") == 0);
printout(getWidgetByObjectName("status").text);
