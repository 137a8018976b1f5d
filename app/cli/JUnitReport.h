#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// A JUnit XML report as CI servers read it: one test suite, one test case per
// script. Free of widgets; the caller fills in what each script did.
class JUnitReport
{
public:
    enum class Outcome { Passed, Failed, Unfinished, NotRun };

    struct Case
    {
        QString name;
        QString className;
        double seconds = 0;
        Outcome outcome = Outcome::NotRun;
        QString failureText;
        QString systemOut;
    };

    explicit JUnitReport(const QString &suiteName);

    QVector<Case> &cases();
    const QVector<Case> &cases() const;
    int failureCount() const;

    // Characters that XML 1.0 cannot carry at all (most control characters,
    // unpaired surrogates) become U+FFFD: a script prints anything, and one
    // such character would make the whole report unreadable.
    QByteArray toXml() const;

    // Replaces `path` only with a complete report. On failure `error` holds
    // the reason.
    bool write(const QString &path, QString *error) const;

private:
    QString m_suiteName;
    QVector<Case> m_cases;
};
