#include "RecordedScript.h"

#include <QMDrovebot/automation/WidgetLocator.h>

#include <algorithm>

namespace QMDrovebot {

struct RecordedScript::Block
{
    Handler *owner = nullptr;
    std::vector<std::unique_ptr<Item>> items;
};

struct RecordedScript::Item
{
    Block *block = nullptr;
    int level = 0;
    // A statement, or (target, text) typed; neither for the place of a
    // handler whose window no statement opened.
    QString statement;
    QString target;
    QString text;
    // The windows this statement opened, one after another.
    std::vector<std::unique_ptr<Handler>> handlers;
};

struct RecordedScript::Handler
{
    Item *opener = nullptr;
    // Counted in the order the text shows them, once dropped ones are gone.
    mutable int number = 0;
    QString what;
    QString finder;
    QString variable;
    bool popup = false;
    bool open = true;
    bool windowIds = false;
    Block body;
};

namespace {

// Long enough that the click the handler answers has been delivered (posted
// events go first) and its window is open when the handler looks.
const char kStart[] = "start(100)";
// What the replay waits for a window before it reports a failure.
const char kPatience[] = "10000";

} // namespace

RecordedScript::RecordedScript()
    : m_main(std::make_unique<Block>())
{
}

RecordedScript::~RecordedScript() = default;
RecordedScript::RecordedScript(RecordedScript &&other) noexcept = default;
RecordedScript &RecordedScript::operator=(RecordedScript &&other) noexcept = default;

RecordedScript::Block &RecordedScript::currentBlock()
{
    return m_open.empty() ? *m_main : m_open.back()->body;
}

void RecordedScript::addStatement(const QString &statement, int level)
{
    Block &block = currentBlock();
    auto item = std::make_unique<Item>();
    item->block = &block;
    item->level = level;
    item->statement = statement;
    m_last = item.get();
    block.items.push_back(std::move(item));
}

void RecordedScript::addText(const QString &target, const QString &text, int level)
{
    Block &block = currentBlock();
    Item *last = block.items.empty() ? nullptr : block.items.back().get();
    if (last && last == m_last && last->handlers.empty() && last->target == target && !target.isEmpty()) {
        last->text += text;
        return;
    }
    addStatement(QString(), level);
    m_last->target = target;
    m_last->text = text;
}

void RecordedScript::replaceLastStatement(const QString &statement)
{
    if (m_last && m_last->target.isEmpty())
        m_last->statement = statement;
}

RecordedScript::Item *RecordedScript::openerAt(int level) const
{
    Item *item = m_last;
    while (item && item->level > level) {
        Handler *owner = item->block->owner;
        item = owner ? owner->opener : nullptr;
    }
    return item;
}

void RecordedScript::openHandler(const QString &what, const QString &finder, int level, bool popup)
{
    Item *opener = openerAt(level);
    if (!opener) {
        addStatement(QString(), level);
        opener = m_last;
    }
    auto handler = std::make_unique<Handler>();
    handler->opener = opener;
    handler->what = what;
    handler->finder = finder;
    handler->variable =
        finder.startsWith(QLatin1String("var ")) ? finder.mid(4).section(QLatin1Char(' '), 0, 0) : QString();
    handler->popup = popup;
    handler->body.owner = handler.get();
    m_open.push_back(handler.get());
    opener->handlers.push_back(std::move(handler));
}

void RecordedScript::closeHandler()
{
    if (m_open.empty())
        return;
    m_open.back()->open = false;
    m_open.pop_back();
}

int RecordedScript::openHandlers() const
{
    return int(m_open.size());
}

void RecordedScript::needWindowIds()
{
    if (!m_open.empty())
        m_open.back()->windowIds = true;
}

void RecordedScript::needIds()
{
    m_needsIds = true;
}

void RecordedScript::needButtonHelper()
{
    m_needsButtonHelper = true;
}

void RecordedScript::finish()
{
    dropUnanswered(*m_main);
    m_open.clear();
    m_last = nullptr;
}

void RecordedScript::dropUnanswered(Block &block)
{
    for (size_t i = 0; i < block.items.size();) {
        auto &handlers = block.items[i]->handlers;
        for (auto &handler : handlers)
            dropUnanswered(handler->body);
        const size_t before = handlers.size();
        handlers.erase(std::remove_if(handlers.begin(), handlers.end(),
                                      [](const std::unique_ptr<Handler> &h) {
                                          return h->body.items.empty() && (h->open || h->popup);
                                      }),
                       handlers.end());
        // The statement only opened what is dropped: it goes too.
        if (handlers.empty() && before > 0)
            block.items.erase(block.items.begin() + long(i));
        else
            ++i;
    }
}

bool RecordedScript::isEmpty() const
{
    return m_main->items.empty();
}

namespace {

template <typename Block> void numberHandlers(const Block &block, int *count)
{
    for (const auto &item : block.items) {
        for (const auto &handler : item->handlers) {
            handler->number = ++*count;
            numberHandlers(handler->body, count);
        }
    }
}

} // namespace

QString RecordedScript::text() const
{
    int count = 0;
    numberHandlers(*m_main, &count);
    QString out;
    if (m_needsIds)
        out += QStringLiteral("generateIDs();\n");
    render(*m_main, 0, &out);
    // A function declaration counts from the start of the script.
    if (m_needsButtonHelper)
        out += QLatin1Char('\n') + WidgetLocator::buttonHelper();
    return out;
}

void RecordedScript::render(const Block &block, int depth, QString *out) const
{
    const QString indent(4 * depth, QLatin1Char(' '));
    const auto line = [&](const QString &text) { *out += indent + text + QLatin1Char('\n'); };
    for (const std::unique_ptr<Item> &item : block.items) {
        const QString statement =
            item->target.isEmpty()
                ? item->statement
                : QStringLiteral("keyPress(%1, %2);").arg(item->target, WidgetLocator::scriptString(item->text));
        if (item->handlers.empty()) {
            line(statement);
            continue;
        }
        const auto &handlers = item->handlers;
        for (size_t i = 0; i < handlers.size(); ++i) {
            const Handler &h = *handlers[i];
            const QString n = QString::number(h.number);
            if (i == 0)
                line(QStringLiteral("// handler%1 answers %2, which the next statement opens.").arg(n, h.what));
            else
                line(QStringLiteral("// handler%1 answers %2, which opens after that.").arg(n, h.what));
            line(QStringLiteral("var done%1 = false;").arg(n));
            line(QStringLiteral("var handler%1 = createTimer();").arg(n));
            line(QStringLiteral("handler%1.timeout.connect(function () {").arg(n));
            const QString inner = indent + QStringLiteral("    ");
            *out += inner + h.finder + QLatin1Char('\n');
            if (h.windowIds)
                *out += inner + QStringLiteral("generateIDsForWidget(%1);\n").arg(h.variable);
            render(h.body, depth + 1, out);
            if (i + 1 < handlers.size())
                *out += inner + QStringLiteral("handler%1.%2;\n").arg(handlers[i + 1]->number).arg(kStart);
            *out += inner + QStringLiteral("done%1 = true;\n").arg(n);
            line(QStringLiteral("});"));
        }
        if (!statement.isEmpty())
            line(statement);
        line(QStringLiteral("handler%1.%2;").arg(handlers.front()->number).arg(kStart));
        line(
            QStringLiteral("waitFor(function () { return done%1; }, %2);").arg(handlers.back()->number).arg(kPatience));
    }
}

} // namespace QMDrovebot
