// missing_customer.js - Add without a customer name opens a modal warning;
// the script answers it from a timer, as it would answer any dialog.
getWidgetByObjectName("customer").text = "";
var warning = "";
var warningTimer = singleShotTimer(100);
warningTimer.timeout.connect(function () {
    var dialog = getVisibleDialog();
    if (dialog == null) {
        warningTimer.start();
        return;
    }
    warning = getSubWidgetByObjectName(dialog, "qt_msgbox_label").text;
    enterPress(dialog);
});
mouseClick(getWidgetByObjectName("addButton"));
waitFor(function () { return warning != "" && getVisibleDialog() == null; }, 5000);
Test.compare(warning, "Please enter a customer name.");
printout("warned: " + warning);
