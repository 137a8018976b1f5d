#pragma once

#include <QVector>

// Which rows of a list one run takes (--shard) and in which order they start
// (--jobs with --durations). Free of widgets; rows are positions in the list.
class SuitePlan
{
public:
    // The time each row is expected to take from an earlier run's `seconds`
    // (negative where the row did not appear): a row it lacks counts as the
    // median of the others. Empty when no row appeared: the rows then count
    // the same.
    static QVector<double> expected(const QVector<double> &seconds);

    // The rows of part `index` (from 1) of `count`, in list order; every row
    // belongs to exactly one part. Without times the parts are runs of
    // consecutive rows whose sizes differ by at most one, so scripts that
    // follow each other stay together; with times, each row, longest first,
    // goes to the part with the least time so far.
    static QVector<int> shard(int rows, int index, int count, const QVector<double> &expected);

    // `rows` with the longest first; equal ones keep their order.
    static QVector<int> longestFirst(QVector<int> rows, const QVector<double> &expected);
};
