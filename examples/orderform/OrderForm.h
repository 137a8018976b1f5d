#pragma once

#include <QMainWindow>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

// Orders typed into a form collect in a table; "Process" works through them
// slowly, with a progress bar. Its widgets carry object names, as an
// application that wants to be tested gives them.
class OrderForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit OrderForm(QWidget *parent = nullptr);

private:
    void addOrder();
    void clearOrders();
    void process();
    void step();

    QLineEdit *m_customer;
    QComboBox *m_product;
    QSpinBox *m_quantity;
    QTableWidget *m_orders;
    QPushButton *m_processButton;
    QProgressBar *m_progress;
    QLabel *m_status;
    QTimer *m_work;
};
