// add_order.js - fills the form of the order-form example and adds two
// orders; checks what the table shows. Run inside the program:
//   corvella --run add_order.js --app orderform
function addOrder(customer, product, quantity) {
    getWidgetByObjectName("customer").text = customer;
    getWidgetByObjectName("product").currentIndex = product;
    getWidgetByObjectName("quantity").value = quantity;
    mouseClick(getWidgetByObjectName("addButton"));
    // The click is posted: it happens while the script waits.
    waitFor(function () { return getWidgetByObjectName("customer").text == ""; }, 5000);
}

addOrder("Ada", 1, 3);
addOrder("Grace", 2, 12);

var table = getWidgetByObjectName("orders");
Test.compare(table.rowCount, 2);
// The searches see the program's widgets, not Corvella's own windows.
Test.verify(getWidgetByClassName("QTableWidget") == table);
Test.compare(getWidgetByObjectName("status").text, "2 order(s)");
printout("orders in the table: " + table.rowCount);
