#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// A JUnit XML report as CI servers read it: one test suite, one test case per
// script. Free of widgets; the caller fills it in case by case as results
// come, in any order, and each case is turned into XML once, when it is set,
// so writing the report again after every result costs no more than copying
// it.
class JUnitReport
{
public:
    enum class Outcome {
        Passed,
        // A failed check: the script ran to its end.
        Failed,
        // The script could not run to its end: it could not be opened, had a
        // syntax error or an uncaught exception, or was stopped.
        Error,
        // Running when the report was written; counts as an error, so a report
        // left by a killed job never looks green.
        Unfinished,
        NotRun,
    };

    // A failed run of a script that was then run again.
    struct Attempt
    {
        bool error = false; // else a failed check
        QString failureText;
        QString systemOut;
    };

    struct Case
    {
        QString name;
        QString className;
        double seconds = 0;
        Outcome outcome = Outcome::NotRun;
        // Failed and Error: what went wrong; its first line is the message.
        QString failureText;
        QString systemOut;
        // The failed runs before the last, in order: a case that passed in
        // the end is flaky, and each becomes a "flakyFailure" as Jenkins and
        // GitLab read them; a case that failed every time keeps them as
        // "rerunFailure".
        QVector<Attempt> earlierAttempts;
    };

    explicit JUnitReport(const QString &suiteName);

    // Cases named as CI servers group them, all NotRun: the class is the
    // suite's name followed by the script's folder relative to `baseFolder`,
    // "." between the parts ("ui", "ui.dialogs"), with no "." or ".." part;
    // the name is the file name, " (2)", " (3)" added for repeats, and
    // "(empty row N)" for an empty path.
    static QVector<Case> namedCases(const QString &suiteName, const QString &baseFolder, const QStringList &scripts);

    void append(const Case &c);
    void setCase(int index, const Case &c);
    const Case &at(int index) const;
    int size() const;

    // A reason why the run is not complete (a stop, or a run still going
    // when the report is written) adds an error case of its own; empty for
    // none.
    void setIncomplete(const QString &reason);

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
    QVector<QByteArray> m_caseXml;
    QString m_incomplete;
};
