#include "BatchArea.h"

#include "ScriptList.h"
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/RecoveryFile.h>

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
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
    m_stopAll = button(tr("Stop All"), &BatchArea::abandon);
    m_stopAll->setToolTip(tr("Stop the running script and run no further row (Esc)"));
    m_stopAll->setEnabled(false);
    m_stopAllKey = new QAction(this);
    m_stopAllKey->setShortcut(QKeySequence(Qt::Key_Escape));
    m_stopAllKey->setShortcutContext(Qt::WindowShortcut);
    m_stopAllKey->setEnabled(false);
    connect(m_stopAllKey, &QAction::triggered, this, &BatchArea::abandon);
    addAction(m_stopAllKey);
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &BatchArea::showProgress);

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

QString BatchArea::listFile() const
{
    return m_listFile;
}

QTextEdit *BatchArea::outputWindow() const
{
    return m_outputWindow;
}

void BatchArea::setListFile(const QString &path)
{
    m_listFile = path;
    emit listFileChanged(path);
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
    m_stopAll->setEnabled(running);
    m_stopAllKey->setEnabled(running);
}

bool BatchArea::mayReplaceEdits()
{
    DocWindow *document = m_editor->textEdit();
    const QString text = document->toPlainText();
    // A new document's sample text is no work of the user's.
    const bool sample = document->fileName().isEmpty() && (text.isEmpty() || text == DocWindow::defaultText());
    if (!document->isModified() || sample)
        return true;
    // Kept before asking: the answer may never come.
    m_editor->recoveryFile()->writeNow();
    const QString name = document->fileName().isEmpty() ? tr("the new document")
                                                        : QLatin1Char('"') + document->fileName() + QLatin1Char('"');
    const auto answer = QMessageBox::warning(this, QStringLiteral("Warning"),
                                             tr("The text of %1 has been changed, and Start opens the list's scripts "
                                                "in its place.\nDo you want to save the changes?")
                                                 .arg(name),
                                             QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Save)
        return document->saveFile();
    if (answer != QMessageBox::Discard)
        return false;
    // The user let the changes go: nothing to offer at the next start.
    m_editor->recoveryFile()->discard();
    return true;
}

void BatchArea::showProgress()
{
    const int finished = m_done + m_errors;
    QString text = tr("%1 of %2: %3 done, %4")
                       .arg(finished)
                       .arg(m_total)
                       .arg(m_done)
                       .arg(m_errors == 1 ? tr("1 error") : tr("%1 errors").arg(m_errors));
    if (!m_running && finished < m_total)
        text += tr(", %1 not run").arg(m_total - finished);
    const qint64 seconds = m_sinceStart.isValid() ? m_sinceStart.elapsed() / 1000 : 0;
    text += QStringLiteral(" \u2014 %1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    emit progressChanged(text);
}

void BatchArea::run()
{
    if (m_running)
        return;
    if (m_editor->isEvaluating()) {
        emit statusMessage(tr("A script is still running: press Stop first"));
        return;
    }
    if (!mayReplaceEdits())
        return;
    setRunning(true);
    m_abandoned = false;
    QList<QTreeWidgetItem *> items;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        items << m_tree->topLevelItem(i);
        items.last()->setText(0, QString());
    }
    m_total = items.size();
    m_done = m_errors = 0;
    m_sinceStart.start();
    m_clock.start();
    showProgress();
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
        m_tree->scrollToItem(item);
        const ScriptRun result = m_runner.run(path);
        m_outputs.insert(path, result.outputHtml);
        ++(result.error ? m_errors : m_done);
        if (present(item)) {
            item->setText(0, result.error ? QStringLiteral("Error") : QStringLiteral("Done"));
            item->setSelected(false);
        }
        // The application is going away; its next script would find its
        // waits returning at once.
        if (result.quitRequested)
            m_abandoned = true;
        showProgress();
    }
    for (QTreeWidgetItem *item : qAsConst(items)) {
        if (present(item) && item->text(0).isEmpty())
            item->setText(0, tr("Not run"));
    }
    m_clock.stop();
    setRunning(false);
    showProgress();
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
        setListFile(file);
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
    QStringList rows = paths();
    for (QString &row : rows)
        row = ScriptList::relativeTo(row, file);
    // A list is replaced only when it was written completely.
    QString error;
    if (!MTools::CheckedSaveFile::writeFile(file, ScriptList::serialize(rows), &error))
        emit statusMessage(tr("Cannot save %1: %2").arg(file, error));
    else
        setListFile(file);
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
    // One window, reused: its own top-level window that closing only hides,
    // owned by the batch area so it goes with it.
    if (!m_outputWindow) {
        m_outputWindow = new QTextEdit(this);
        m_outputWindow->setObjectName(QStringLiteral("batchOutput"));
        m_outputWindow->setWindowFlags(Qt::Window);
        m_outputWindow->setStyleSheet(QStringLiteral("QTextEdit{background-color: #A0A0A0; color: #000000}"));
        placeBesideWindow(m_outputWindow);
    }
    m_outputWindow->setWindowTitle(path);
    m_outputWindow->setHtml(m_outputs[path]);
    m_outputWindow->show();
    m_outputWindow->raise();
    m_outputWindow->activateWindow();
}

void BatchArea::placeBesideWindow(QWidget *shown)
{
    const QRect runner = window()->frameGeometry();
    const QRect free = window()->screen()->availableGeometry();
    // The new window will get the runner's frame.
    const QSize frame = runner.size() - window()->geometry().size();
    const QSize outer(qMin(qMax(560, runner.width() / 2), free.width()),
                      qMin(qMax(400, runner.height() * 2 / 3), free.height()));
    QPoint at(runner.right() + 8, runner.top());
    if (at.x() + outer.width() > free.right())
        at.setX(runner.left() - 8 - outer.width());
    if (at.x() < free.left()) {
        // No room beside it: over the runner's right half, below its menu
        // and tool bars, so both stay usable.
        at = QPoint(free.right() + 1 - outer.width(), runner.top() + runner.height() / 4);
    }
    at.setY(qBound(free.top(), at.y(), free.bottom() + 1 - outer.height()));
    shown->resize(outer - frame);
    shown->move(at);
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
