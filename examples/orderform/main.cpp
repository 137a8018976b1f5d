#include "OrderForm.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Order Form"));
    OrderForm form;
    form.show();
    return app.exec();
}
