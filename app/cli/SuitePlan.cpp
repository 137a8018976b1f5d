#include "SuitePlan.h"

#include <algorithm>
#include <numeric>

QVector<double> SuitePlan::expected(const QVector<double> &seconds)
{
    QVector<double> known;
    for (double s : seconds) {
        if (s >= 0)
            known.append(s);
    }
    if (known.isEmpty())
        return {};
    std::sort(known.begin(), known.end());
    const int middle = known.size() / 2;
    const double median = known.size() % 2 ? known.at(middle) : (known.at(middle - 1) + known.at(middle)) / 2;
    QVector<double> result = seconds;
    for (double &s : result) {
        if (s < 0)
            s = median;
    }
    return result;
}

QVector<int> SuitePlan::shard(int rows, int index, int count, const QVector<double> &expected)
{
    QVector<int> taken;
    if (expected.isEmpty()) {
        // Integer arithmetic: every machine cuts at the same rows.
        const qint64 first = qint64(rows) * (index - 1) / count, end = qint64(rows) * index / count;
        for (qint64 row = first; row < end; ++row)
            taken.append(int(row));
        return taken;
    }
    QVector<int> all(rows);
    std::iota(all.begin(), all.end(), 0);
    QVector<double> load(count, 0.0);
    for (int row : longestFirst(all, expected)) {
        const int least = int(std::min_element(load.cbegin(), load.cend()) - load.cbegin());
        load[least] += expected.at(row);
        if (least == index - 1)
            taken.append(row);
    }
    std::sort(taken.begin(), taken.end());
    return taken;
}

QVector<int> SuitePlan::longestFirst(QVector<int> rows, const QVector<double> &expected)
{
    if (!expected.isEmpty()) {
        std::stable_sort(rows.begin(), rows.end(),
                         [&expected](int a, int b) { return expected.at(a) > expected.at(b); });
    }
    return rows;
}
