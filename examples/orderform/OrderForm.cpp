#include "OrderForm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

OrderForm::OrderForm(QWidget *parent)
    : QMainWindow(parent)
    , m_customer(new QLineEdit)
    , m_product(new QComboBox)
    , m_quantity(new QSpinBox)
    , m_orders(new QTableWidget(0, 3))
    , m_processButton(new QPushButton(tr("&Process")))
    , m_progress(new QProgressBar)
    , m_status(new QLabel(tr("Ready")))
    , m_work(new QTimer(this))
{
    setObjectName(QStringLiteral("orderForm"));
    setWindowTitle(tr("Order Form"));
    m_customer->setObjectName(QStringLiteral("customer"));
    m_product->setObjectName(QStringLiteral("product"));
    m_product->addItems({tr("Apples"), tr("Pears"), tr("Plums")});
    m_quantity->setObjectName(QStringLiteral("quantity"));
    m_quantity->setRange(1, 99);
    m_orders->setObjectName(QStringLiteral("orders"));
    m_orders->setHorizontalHeaderLabels({tr("Customer"), tr("Product"), tr("Quantity")});
    m_orders->horizontalHeader()->setStretchLastSection(true);
    m_processButton->setObjectName(QStringLiteral("processButton"));
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setValue(0);
    m_status->setObjectName(QStringLiteral("status"));

    auto *addButton = new QPushButton(tr("&Add"));
    addButton->setObjectName(QStringLiteral("addButton"));
    addButton->setToolTip(tr("Add the order to the table"));
    connect(addButton, &QPushButton::clicked, this, &OrderForm::addOrder);
    connect(m_processButton, &QPushButton::clicked, this, &OrderForm::process);
    connect(m_work, &QTimer::timeout, this, &OrderForm::step);

    auto *form = new QFormLayout;
    form->addRow(tr("&Customer:"), m_customer);
    form->addRow(tr("P&roduct:"), m_product);
    form->addRow(tr("&Quantity:"), m_quantity);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(addButton);
    buttons->addWidget(m_processButton);
    buttons->addWidget(m_progress);
    auto *layout = new QVBoxLayout;
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(m_orders);
    layout->addWidget(m_status);
    auto *central = new QWidget;
    central->setLayout(layout);
    setCentralWidget(central);

    QMenu *orders = menuBar()->addMenu(tr("&Orders"));
    orders->setObjectName(QStringLiteral("ordersMenu"));
    orders->addAction(tr("&Clear All..."), this, &OrderForm::clearOrders, QKeySequence(QStringLiteral("Ctrl+L")));
    orders->addSeparator();
    orders->addAction(tr("&Quit"), this, &QWidget::close, QKeySequence(QStringLiteral("Ctrl+Q")));
    resize(520, 420);
}

void OrderForm::addOrder()
{
    const QString customer = m_customer->text().trimmed();
    if (customer.isEmpty()) {
        QMessageBox::warning(this, tr("Missing Customer"), tr("Please enter a customer name."));
        return;
    }
    const int row = m_orders->rowCount();
    m_orders->insertRow(row);
    m_orders->setItem(row, 0, new QTableWidgetItem(customer));
    m_orders->setItem(row, 1, new QTableWidgetItem(m_product->currentText()));
    m_orders->setItem(row, 2, new QTableWidgetItem(QString::number(m_quantity->value())));
    m_customer->clear();
    m_status->setText(tr("%n order(s)", nullptr, m_orders->rowCount()));
}

void OrderForm::clearOrders()
{
    if (m_orders->rowCount() == 0)
        return;
    if (QMessageBox::question(this, tr("Clear All"), tr("Remove all %n order(s)?", nullptr, m_orders->rowCount())) !=
        QMessageBox::Yes)
        return;
    m_orders->setRowCount(0);
    m_status->setText(tr("Ready"));
}

// About two seconds, whatever the number of orders: long enough that a test
// must wait for it rather than sleep.
void OrderForm::process()
{
    m_processButton->setEnabled(false);
    m_progress->setValue(0);
    m_status->setText(tr("Processing..."));
    m_work->start(20);
}

void OrderForm::step()
{
    m_progress->setValue(m_progress->value() + 1);
    if (m_progress->value() < m_progress->maximum())
        return;
    m_work->stop();
    m_processButton->setEnabled(true);
    m_status->setText(tr("Processed %n order(s)", nullptr, m_orders->rowCount()));
}
