#pragma once

#include <QMap>
#include <QString>
#include <QWidget>

class QTreeWidget;

namespace QMDrovebot {

// Shows the aliases that abbreviate class names inside widget IDs, and copies
// them to the clipboard as tab-separated lines.
class AliasesWidget : public QWidget
{
    Q_OBJECT

public:
    explicit AliasesWidget(const QMap<QString, QString> &aliases, QWidget *parent = nullptr);

private slots:
    void copyToClipboard();

private:
    QMap<QString, QString> m_aliases;
    QTreeWidget *m_tree = nullptr;
};

} // namespace QMDrovebot
