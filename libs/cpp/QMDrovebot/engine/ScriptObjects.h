#pragma once

#include <QObject>
#include <QPointer>

#include <vector>

namespace QMDrovebot {

// The objects scripts create (timers, labels, widgets). They have no parent,
// so the engine that made them keeps them here and frees what is left of
// them when it goes; a batch row frees its timers when it ends.
class ScriptObjects
{
public:
    ScriptObjects() = default;
    ScriptObjects(const ScriptObjects &) = delete;
    ScriptObjects &operator=(const ScriptObjects &) = delete;
    ~ScriptObjects();

    void adopt(QObject *object);
    // How many objects have been adopted so far: a mark for freeTimersSince().
    quint64 count() const;
    // Stops and frees the timers adopted since `mark`, with the handlers
    // connected to them.
    void freeTimersSince(quint64 mark);

private:
    struct Adopted
    {
        quint64 serial;
        QPointer<QObject> object;
    };
    std::vector<Adopted> m_adopted;
    quint64 m_count = 0;
    // Entries of objects deleted meanwhile are dropped once the list reaches
    // this size, so it stays in proportion to what lives.
    size_t m_pruneAt = 1024;
};

} // namespace QMDrovebot
