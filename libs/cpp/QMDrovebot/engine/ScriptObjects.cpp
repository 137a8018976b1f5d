#include "ScriptObjects.h"

#include <QTimer>

#include <algorithm>

namespace QMDrovebot {

ScriptObjects::~ScriptObjects()
{
    for (const Adopted &adopted : m_adopted)
        delete adopted.object.data();
}

void ScriptObjects::adopt(QObject *object)
{
    if (m_adopted.size() >= m_pruneAt) {
        m_adopted.erase(std::remove_if(m_adopted.begin(), m_adopted.end(),
                                       [](const Adopted &adopted) { return adopted.object.isNull(); }),
                        m_adopted.end());
        m_pruneAt = qMax<size_t>(1024, 2 * m_adopted.size());
    }
    m_adopted.push_back({m_count++, object});
}

quint64 ScriptObjects::count() const
{
    return m_count;
}

void ScriptObjects::freeTimersSince(quint64 mark)
{
    // Serials grow along the list: what came since the mark is its tail.
    const auto first = std::lower_bound(m_adopted.begin(), m_adopted.end(), mark,
                                        [](const Adopted &adopted, quint64 value) { return adopted.serial < value; });
    for (auto it = first; it != m_adopted.end(); ++it) {
        if (auto *timer = qobject_cast<QTimer *>(it->object.data())) {
            timer->stop();
            delete timer;
        }
    }
    m_adopted.erase(
        std::remove_if(first, m_adopted.end(), [](const Adopted &adopted) { return adopted.object.isNull(); }),
        m_adopted.end());
}

} // namespace QMDrovebot
