#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace QMDrovebot {

// The script a recording writes, built statement by statement, so that it
// replays what was done.
//
// A modal dialog or a menu keeps the replaying script inside the call that
// let the opening click through, so what was done in such a window goes into
// a handler: a timer function registered before the click and started right
// after it, which waits for the window and answers it while it is open; the
// script then waits until the handler is done. Windows that open from a
// handler's answer get handlers inside that handler.
//
// Which statement opened a window is told by the event-loop level: a window
// shown while the dispatch of the latest statement's event may still run
// (same level or deeper) belongs to it; one shown lower down belongs to the
// statement whose dispatch is still on the stack there (a second dialog
// that the same click opens after the first one closed).
class RecordedScript
{
public:
    RecordedScript();
    ~RecordedScript();
    RecordedScript(RecordedScript &&other) noexcept;
    RecordedScript &operator=(RecordedScript &&other) noexcept;

    // `statement` is a whole statement, `level` the event-loop level at
    // which its event was delivered.
    void addStatement(const QString &statement, int level);
    // Characters typed into `target` (an expression); consecutive text for
    // the same target becomes one keyPress.
    void addText(const QString &target, const QString &text, int level);
    // The latest statement turned out to be something else (a press that
    // became a drag).
    void replaceLastStatement(const QString &statement);

    // A window that the script must answer from a handler was shown at
    // `level`: `finder` waits for it (and may hold it in a variable),
    // `what` names it in the handler's comment. A pop-up closes without an
    // answer when it is dismissed.
    void openHandler(const QString &what, const QString &finder, int level, bool popup = false);
    // The innermost such window closed.
    void closeHandler();
    int openHandlers() const;
    // The innermost open handler's window is searched by its "Vis/" IDs.
    void needWindowIds();
    // Some statement finds a widget by its ID.
    void needIds();
    // Some statement finds a button by its text, through the helper
    // function that goes at the end.
    void needButtonHelper();

    // Recording ends. Handlers that hold nothing are dropped with their
    // openers when their window is still open or was a pop-up (the menu that
    // stopped the recording): the replay would open it and wait for ever on
    // a window nobody answers.
    void finish();

    bool isEmpty() const;
    QString text() const;

private:
    struct Item;
    struct Handler;
    struct Block;

    Block &currentBlock();
    Item *openerAt(int level) const;
    void dropUnanswered(Block &block);
    void render(const Block &block, int depth, QString *out) const;

    std::unique_ptr<Block> m_main;
    std::vector<Handler *> m_open;
    Item *m_last = nullptr;
    bool m_needsIds = false;
    bool m_needsButtonHelper = false;
};

} // namespace QMDrovebot
