#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// JUnit reports read back, whoever wrote them: the times of an earlier run
// (to balance shards and start the longest scripts first), and the reports
// of several shards merged into one. Free of widgets.
class JUnitFile
{
public:
    // One <testsuite>, its test cases kept as the XML they were.
    struct Suite
    {
        QString name;
        double seconds = 0;
        int tests = 0;
        int failures = 0;
        int errors = 0;
        int skipped = 0;
        QString casesXml;
    };

    // The suites of `path`, and each case's time under caseKey(). False with
    // the reason in `error` when the file cannot be read, is no well-formed
    // XML or holds no test suite.
    static bool read(const QString &path, QVector<Suite> *suites, QHash<QString, double> *times, QString *error);

    // One report holding every case; suites of the same name (the shards of
    // one list) become one suite with the counts summed.
    static QByteArray merged(const QVector<Suite> &suites);

    static QString caseKey(const QString &className, const QString &name);

    // Far above any report a suite writes; a file beyond it is not one.
    static constexpr qint64 maximumFileSize = qint64(1) << 30;
};

// `corvella --merge-junit OUT IN...`: 0 after writing OUT; 2 after one line
// on standard error when an input cannot be read (nothing is written), OUT
// names an input, or OUT cannot be written.
int runMergeCommand(const QString &outputPath, const QStringList &inputs);
