#include "AliasesWidget.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace QMDrovebot {

AliasesWidget::AliasesWidget(const QMap<QString, QString> &aliases, QWidget *parent)
    : QWidget(parent)
    , m_aliases(aliases)
{
    m_tree = new QTreeWidget;
    m_tree->setHeaderLabels({QStringLiteral("Full Name"), QStringLiteral("Alias")});
    m_tree->setSortingEnabled(true);
    for (auto it = m_aliases.cbegin(); it != m_aliases.cend(); ++it)
        m_tree->addTopLevelItem(new QTreeWidgetItem(QStringList{it.key(), it.value()}));

    auto *copyButton = new QPushButton(QStringLiteral("&Copy to clipboard"));
    copyButton->setObjectName(QStringLiteral("PushButton"));
    connect(copyButton, &QPushButton::clicked, this, &AliasesWidget::copyToClipboard);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(m_tree);
    layout->addWidget(copyButton);
}

void AliasesWidget::copyToClipboard()
{
    QString text;
    for (auto it = m_aliases.cbegin(); it != m_aliases.cend(); ++it)
        text += it.key() + QLatin1Char('\t') + it.value() + QLatin1Char('\n');
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}

} // namespace QMDrovebot
