#pragma once

#include <QDialog>

class QLineEdit;

namespace QMDrovebot {

// A small dialog with a line edit, Ok and Cancel. It keeps no settings: Ok
// only accepts it.
class OptionsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit OptionsDialog(QWidget *parent = nullptr);

private slots:
    void ok();

private:
    QLineEdit *m_lineEdit = nullptr;
};

} // namespace QMDrovebot
