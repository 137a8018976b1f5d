#include "CodeCompleter.h"

#include <QMDrovebot/ids/ScriptWindows.h>

#include <QKeyEvent>
#include <QListWidget>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

namespace QMDrovebot {

namespace {

constexpr int kRows = 10;
constexpr int kWidth = 600;

} // namespace

CodeCompleter::CodeCompleter(QTextEdit *document, QScriptEngine *engine, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_engine(engine)
{
    document->installEventFilter(this);
}

CodeCompleter::~CodeCompleter()
{
    delete m_popup;
}

QListWidget *CodeCompleter::popup() const
{
    return m_popup;
}

bool CodeCompleter::wordAtCursor(QString *qualifier, QString *prefix, int *start) const
{
    const QTextCursor cursor = m_document->textCursor();
    if (cursor.hasSelection())
        return false;
    const QString before = cursor.block().text().left(cursor.positionInBlock());
    static const QRegularExpression word(QStringLiteral("([A-Za-z_$][\\w$]*)?$"));
    static const QRegularExpression object(QStringLiteral("([A-Za-z_$][\\w$]*)\\.$"));
    *prefix = word.match(before).captured(1);
    const QString head = before.left(before.size() - prefix->size());
    qualifier->clear();
    if (head.endsWith(QLatin1Char('.'))) {
        const QRegularExpressionMatch owner = object.match(head);
        if (!owner.hasMatch())
            return false;
        *qualifier = owner.captured(1);
    }
    *start = cursor.position() - prefix->size();
    return true;
}

bool CodeCompleter::complete()
{
    QString qualifier, prefix;
    int start = 0;
    if (!m_document || !wordAtCursor(&qualifier, &prefix, &start)) {
        close();
        return false;
    }
    m_shown = CompletionModel::matching(CompletionModel::entries(m_engine, qualifier), prefix);
    if (m_shown.isEmpty()) {
        close();
        return false;
    }
    m_start = start;
    if (!m_popup) {
        m_popup = new QListWidget;
        m_popup->setObjectName(QStringLiteral("completionPopup"));
        // A tool-tip window takes neither the focus nor the keys: the user
        // goes on typing in the document.
        m_popup->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
        m_popup->setFocusPolicy(Qt::NoFocus);
        m_popup->setTextElideMode(Qt::ElideRight);
        m_popup->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_popup->setUniformItemSizes(true);
        ScriptWindows::markOwn(m_popup);
        connect(m_popup.data(), &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
            m_popup->setCurrentItem(item);
            insertCurrent();
        });
    }
    m_popup->clear();
    for (const CompletionModel::Entry &entry : qAsConst(m_shown)) {
        auto *item = new QListWidgetItem(entry.display(), m_popup);
        item->setToolTip(entry.display());
    }
    m_popup->setCurrentRow(0);
    const QRect cursor = m_document->cursorRect();
    const QPoint below = m_document->viewport()->mapToGlobal(cursor.bottomLeft() + QPoint(0, 2));
    const int rows = qMin(kRows, m_shown.size());
    const int height = rows * m_popup->sizeHintForRow(0) + 2 * m_popup->frameWidth();
    QRect geometry(below, QSize(kWidth, height));
    if (const QScreen *screen = m_document->screen()) {
        const QRect available = screen->availableGeometry();
        if (geometry.right() > available.right())
            geometry.moveRight(available.right());
        if (geometry.bottom() > available.bottom())
            geometry.moveBottom(m_document->viewport()->mapToGlobal(cursor.topLeft()).y() - 2);
    }
    m_popup->setGeometry(geometry);
    m_popup->show();
    return true;
}

void CodeCompleter::close()
{
    if (!m_popup)
        return;
    // Closing may come from the list's own click signal.
    QListWidget *popup = m_popup;
    m_popup = nullptr;
    popup->hide();
    popup->deleteLater();
}

void CodeCompleter::refresh()
{
    if (!m_popup)
        return;
    QString qualifier, prefix;
    int start = 0;
    // The word the list was opened for goes on; anything else closes it.
    if (!wordAtCursor(&qualifier, &prefix, &start) || start != m_start) {
        close();
        return;
    }
    complete();
}

void CodeCompleter::insertCurrent()
{
    const int row = m_popup ? m_popup->currentRow() : -1;
    if (row < 0 || row >= m_shown.size() || !m_document) {
        close();
        return;
    }
    const CompletionModel::Entry entry = m_shown.at(row);
    QTextCursor cursor = m_document->textCursor();
    cursor.setPosition(m_start, QTextCursor::KeepAnchor);
    cursor.insertText(entry.function ? entry.name + QLatin1Char('(') : entry.name);
    m_document->setTextCursor(cursor);
    close();
}

bool CodeCompleter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_document)
        return false;
    if (event->type() == QEvent::FocusOut) {
        close();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Space && key->modifiers().testFlag(Qt::ControlModifier)) {
        complete();
        return true;
    }
    if (m_popup) {
        const int row = m_popup->currentRow();
        const int last = m_popup->count() - 1;
        switch (key->key()) {
        case Qt::Key_Up:
            m_popup->setCurrentRow(qMax(0, row - 1));
            return true;
        case Qt::Key_Down:
            m_popup->setCurrentRow(qMin(last, row + 1));
            return true;
        case Qt::Key_PageUp:
            m_popup->setCurrentRow(qMax(0, row - kRows));
            return true;
        case Qt::Key_PageDown:
            m_popup->setCurrentRow(qMin(last, row + kRows));
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
            insertCurrent();
            return true;
        case Qt::Key_Escape:
            close();
            return true;
        default:
            // The document takes the key first; the list follows the word.
            QTimer::singleShot(0, this, &CodeCompleter::refresh);
            return false;
        }
    }
    if (key->text() == QLatin1String(".")) {
        QTimer::singleShot(0, this, [this] {
            QString qualifier, prefix;
            int start = 0;
            if (m_document && wordAtCursor(&qualifier, &prefix, &start) && !qualifier.isEmpty())
                complete();
        });
    }
    return false;
}

} // namespace QMDrovebot
