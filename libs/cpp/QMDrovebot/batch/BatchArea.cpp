#include "BatchArea.h"

#include "ScriptList.h"
#include <QMDrovebot/editor/Editor.h>

#include <QAction>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <MTools/BoundedFile.h>
#include <MTools/CheckedSaveFile.h>
#include <QMWidgets/App.h>

namespace QMDrovebot {

namespace {

const QString storedListKey = QStringLiteral("batchfiles");

} // namespace

BatchArea::BatchArea(Editor *editor, QWidget *parent)
    : QWidget(parent)
    , m_editor(editor)
    , m_runner(editor)
{
    m_path = QMWidgets::App::settingValue(QStringLiteral("path"), QStringLiteral("/tmp/")).toString();

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(2, 2, 2, 2);
    buttons->setSpacing(2);
    auto button = [this, buttons](const QString &caption, void (BatchArea::*slot)()) {
        auto *pushButton = new QPushButton(caption);
        connect(pushButton, &QPushButton::clicked, this, slot);
        buttons->addWidget(pushButton);
        return pushButton;
    };
    m_refusedWhileRunning << button(QStringLiteral("Start"), &BatchArea::run)
                          << button(QStringLiteral("Add JS"), &BatchArea::addJS)
                          << button(QStringLiteral("Remove JS"), &BatchArea::removeJS)
                          << button(QStringLiteral("Load List"), &BatchArea::loadList);
    button(QStringLiteral("Save List As"), &BatchArea::saveListAs);
    button(QStringLiteral("Show Output"), &BatchArea::showOutput);

    m_tree = new QTreeWidget;
    m_tree->setObjectName(QStringLiteral("batchList"));
    m_tree->setHeaderLabels({QStringLiteral("State"), QStringLiteral("ScriptName")});
    m_tree->setSortingEnabled(false);
    m_tree->setRootIsDecorated(false);

    // Only while the focus is inside the batch area: the editor beside it
    // needs Delete and Backspace for its text.
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Delete), QKeySequence(Qt::Key_Backspace)}) {
        auto *action = new QAction(this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, &BatchArea::removeJSOnKey);
        addAction(action);
        m_keyActions << action;
    }
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &BatchArea::itemDoubleClicked);

    restoreList();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(buttons);
    layout->addWidget(m_tree);
}

BatchArea::~BatchArea() = default;

QTreeWidget *BatchArea::tree() const
{
    return m_tree;
}

QStringList BatchArea::paths() const
{
    QStringList result;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        result << m_tree->topLevelItem(i)->text(1);
    return result;
}

QStringList BatchArea::states() const
{
    QStringList result;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        result << m_tree->topLevelItem(i)->text(0);
    return result;
}

bool BatchArea::isRunning() const
{
    return m_running;
}

QString BatchArea::output(const QString &path) const
{
    return m_outputs.value(path);
}

ScriptRunner &BatchArea::runner()
{
    return m_runner;
}

void BatchArea::appendRow(const QString &path)
{
    m_tree->addTopLevelItem(new QTreeWidgetItem(QStringList{QString(), path}));
}

void BatchArea::setRunning(bool running)
{
    m_running = running;
    for (QPushButton *button : qAsConst(m_refusedWhileRunning))
        button->setEnabled(!running);
    for (QAction *action : qAsConst(m_keyActions))
        action->setEnabled(!running);
}

void BatchArea::run()
{
    if (m_running)
        return;
    if (m_editor->isEvaluating()) {
        emit statusMessage(tr("A script is still running: press Stop first"));
        return;
    }
    setRunning(true);
    m_abandoned = false;
    QList<QTreeWidgetItem *> items;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        items << m_tree->topLevelItem(i);
        items.last()->setText(0, QString());
    }
    // A script may reach the tree and remove rows while it runs: a row is
    // touched only while the tree still holds it (a pointer compare only).
    const auto present = [this](QTreeWidgetItem *item) { return m_tree->indexOfTopLevelItem(item) >= 0; };
    for (QTreeWidgetItem *item : qAsConst(items)) {
        if (m_abandoned)
            break;
        if (!present(item))
            continue;
        const QString path = item->text(1);
        item->setText(0, QStringLiteral("Running..."));
        item->setSelected(true);
        const ScriptRun result = m_runner.run(path);
        m_outputs.insert(path, result.outputHtml);
        if (present(item)) {
            item->setText(0, result.error ? QStringLiteral("Error") : QStringLiteral("Done"));
            item->setSelected(false);
        }
    }
    setRunning(false);
}

void BatchArea::abandon()
{
    m_abandoned = true;
    if (m_running && m_editor->isEvaluating())
        m_editor->stopEvaluation();
}

void BatchArea::addJS()
{
    if (m_running)
        return;
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Load"), QString(), QStringLiteral("*.js"),
                                                      nullptr, QMWidgets::App::fileDialogOptions());
    if (path.isEmpty())
        return;
    appendRow(path);
    storeList();
}

void BatchArea::removeJS()
{
    if (m_running)
        return;
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    if (!selected.isEmpty())
        delete selected.first();
}

void BatchArea::removeJSOnKey()
{
    if (m_tree->hasFocus() || m_tree->viewport()->hasFocus())
        removeJS();
}

void BatchArea::loadList()
{
    if (m_running)
        return;
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("Load List"), m_path, QStringLiteral("*.jslst"), nullptr,
                                     QMWidgets::App::fileDialogOptions());
    if (file.isEmpty())
        return;
    m_tree->clear();
    QByteArray bytes;
    QString reason;
    const auto status = MTools::BoundedFile::read(file, ScriptList::maximumFileSize, &bytes, &reason);
    if (status == MTools::BoundedFile::Ok) {
        const QStringList rows = ScriptList::parse(bytes);
        for (const QString &row : rows)
            appendRow(ScriptList::resolve(row, file));
    } else {
        if (reason.isEmpty())
            reason = status == MTools::BoundedFile::TooLarge ? tr("it is too large") : tr("it is not a readable file");
        emit statusMessage(tr("Cannot open %1: %2").arg(file, reason));
    }
    storeList();
}

void BatchArea::saveListAs()
{
    QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Save List"), m_path, QStringLiteral("*.jslst"),
                                                nullptr, QMWidgets::App::fileDialogOptions());
    if (file.isEmpty())
        return;
    file = ScriptList::withSuffix(file);
    const QByteArray bytes = ScriptList::serialize(paths());
    // A list is replaced only when it was written completely.
    QString error;
    if (!MTools::CheckedSaveFile::writeFile(file, bytes, &error))
        emit statusMessage(tr("Cannot save %1: %2").arg(file, error));
}

void BatchArea::itemDoubleClicked(QTreeWidgetItem *item, int)
{
    const QString path = item->text(1);
    m_editor->open(path);
    emit scriptFileDoubleClicked(path);
}

void BatchArea::checkForDone()
{
    if (!m_editor->isEvaluating())
        m_eventLoop.exit(0);
    QTimer::singleShot(3000, this, &BatchArea::checkForDone);
}

void BatchArea::showOutput()
{
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    if (selected.isEmpty())
        return;
    const QString path = selected.first()->text(1);
    // Its own window that closing only hides; owned by the batch area so it
    // goes with it.
    auto *window = new QTextEdit(this);
    window->setWindowFlags(Qt::Window);
    window->setWindowTitle(path);
    window->setHtml(m_outputs[path]);
    window->setStyleSheet(QStringLiteral("QTextEdit{background-color: #A0A0A0; color: #000000}"));
    window->show();
}

void BatchArea::storeList()
{
    QMWidgets::App::setSettingValue(storedListKey, ScriptList::storedText(paths()));
}

void BatchArea::restoreList()
{
    const QStringList rows =
        ScriptList::fromStoredText(QMWidgets::App::settingValue(storedListKey, QString()).toString());
    for (const QString &row : rows)
        appendRow(row);
}

} // namespace QMDrovebot
