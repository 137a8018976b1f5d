// Runs in the consumer's own script editor window: types into the
// application's field and checks that the searches see the application,
// not the editor window beside it.
var field = getWidgetByObjectName("name");
keyPress(field, "hello");
waitFor(function () { return field.text == "hello"; }, 5000);
Test.verify(getWidgetByClassName("QMDrovebot::MainWindow") == null);
Test.compare(getWidgetByWindowTitle("Consumer").windowTitle, "Consumer");
printout("typed: " + field.text);
