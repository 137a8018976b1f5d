#include "JUnitFile.h"

#include "CommandLine.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <MTools/BoundedFile.h>
#include <MTools/CheckedSaveFile.h>

#include <algorithm>
#include <memory>

namespace {

QString whyUnreadable(MTools::BoundedFile::Status status, const QString &reason)
{
    switch (status) {
    case MTools::BoundedFile::Missing:
        return QStringLiteral("no such file");
    case MTools::BoundedFile::Folder:
        return QStringLiteral("it is a folder");
    case MTools::BoundedFile::NotRegular:
        return QStringLiteral("it is not a regular file");
    case MTools::BoundedFile::TooLarge:
        return QStringLiteral("it is too large for a report");
    default:
        return reason;
    }
}

QString attribute(const char *name, const QString &value)
{
    return QLatin1Char(' ') + QLatin1String(name) + QStringLiteral("=\"") + value.toHtmlEscaped() + QLatin1Char('"');
}

QString counts(const JUnitFile::Suite &s)
{
    return attribute("tests", QString::number(s.tests)) + attribute("failures", QString::number(s.failures)) +
           attribute("errors", QString::number(s.errors)) + attribute("skipped", QString::number(s.skipped)) +
           attribute("time", QString::number(s.seconds, 'f', 3));
}

// A token within a suite: a case adds to the suite's count and time, and
// an element right inside a case to its outcomes.
void countCaseToken(const QXmlStreamReader &reader, int depth, int *caseDepth, JUnitFile::Suite *suite,
                    double *caseSeconds, QHash<QString, double> *times)
{
    const QXmlStreamReader::TokenType token = reader.tokenType();
    const QStringRef name = reader.name();
    if (token == QXmlStreamReader::StartElement && name == QLatin1String("testcase")) {
        ++suite->tests;
        *caseDepth = depth;
        const QXmlStreamAttributes a = reader.attributes();
        const double seconds = a.value(QLatin1String("time")).toDouble();
        *caseSeconds += seconds;
        times->insert(JUnitFile::caseKey(a.value(QLatin1String("classname")).toString(),
                                         a.value(QLatin1String("name")).toString()),
                      seconds);
    } else if (token == QXmlStreamReader::StartElement && depth == *caseDepth + 1) {
        suite->failures += name == QLatin1String("failure") ? 1 : 0;
        suite->errors += name == QLatin1String("error") ? 1 : 0;
        suite->skipped += name == QLatin1String("skipped") ? 1 : 0;
    } else if (token == QXmlStreamReader::EndElement && depth == *caseDepth) {
        *caseDepth = -1;
    }
}

} // namespace

QString JUnitFile::caseKey(const QString &className, const QString &name)
{
    return className + QLatin1Char('\n') + name;
}

bool JUnitFile::read(const QString &path, QVector<Suite> *suites, QHash<QString, double> *times, QString *error)
{
    QByteArray bytes;
    QString reason;
    const MTools::BoundedFile::Status status = MTools::BoundedFile::read(path, maximumFileSize, &bytes, &reason);
    if (status != MTools::BoundedFile::Ok) {
        *error = whyUnreadable(status, reason);
        return false;
    }
    QXmlStreamReader reader(bytes);
    std::unique_ptr<QXmlStreamWriter> copy;
    Suite suite;
    bool suiteTimed = false;
    double caseSeconds = 0;
    int depth = 0, suiteDepth = -1, caseDepth = -1;
    const int before = suites->size();
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement)
            ++depth;
        const QStringRef name = reader.name();
        if (suiteDepth < 0) {
            if (token == QXmlStreamReader::StartElement && name == QLatin1String("testsuite")) {
                suite = Suite();
                suite.name = reader.attributes().value(QLatin1String("name")).toString();
                suiteTimed = reader.attributes().hasAttribute(QLatin1String("time"));
                suite.seconds = reader.attributes().value(QLatin1String("time")).toDouble();
                caseSeconds = 0;
                suiteDepth = depth;
                copy = std::make_unique<QXmlStreamWriter>(&suite.casesXml);
            }
        } else if (token == QXmlStreamReader::EndElement && depth == suiteDepth) {
            copy.reset();
            if (!suiteTimed)
                suite.seconds = caseSeconds;
            suites->append(suite);
            suiteDepth = -1;
        } else {
            copy->writeCurrentToken(reader);
            countCaseToken(reader, depth, &caseDepth, &suite, &caseSeconds, times);
        }
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    if (reader.hasError()) {
        *error = QStringLiteral("it is not well-formed XML (line %1: %2)")
                     .arg(reader.lineNumber())
                     .arg(reader.errorString());
        return false;
    }
    if (suites->size() == before) {
        *error = QStringLiteral("it holds no JUnit test suite");
        return false;
    }
    return true;
}

QByteArray JUnitFile::merged(const QVector<Suite> &suites)
{
    QVector<Suite> groups;
    for (const Suite &s : suites) {
        auto same = std::find_if(groups.begin(), groups.end(), [&s](const Suite &g) { return g.name == s.name; });
        if (same == groups.end()) {
            groups.append(s);
            groups.last().casesXml = QStringLiteral("    ") + s.casesXml.trimmed() + QLatin1Char('\n');
            continue;
        }
        same->seconds += s.seconds;
        same->tests += s.tests;
        same->failures += s.failures;
        same->errors += s.errors;
        same->skipped += s.skipped;
        same->casesXml += QStringLiteral("    ") + s.casesXml.trimmed() + QLatin1Char('\n');
    }
    Suite total;
    QString body;
    for (const Suite &g : groups) {
        total.seconds += g.seconds;
        total.tests += g.tests;
        total.failures += g.failures;
        total.errors += g.errors;
        total.skipped += g.skipped;
        body += QStringLiteral("  <testsuite") + attribute("name", g.name) + counts(g) + QStringLiteral(">\n") +
                (g.tests > 0 ? g.casesXml : QString()) + QStringLiteral("  </testsuite>\n");
    }
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites") + counts(total) +
            QStringLiteral(">\n") + body + QStringLiteral("</testsuites>\n"))
        .toUtf8();
}

int runMergeCommand(const QString &outputPath, const QStringList &inputs)
{
    const QString refusal = CommandLine::overwritesInput(QStringLiteral("--merge-junit"), outputPath, inputs);
    if (!refusal.isEmpty())
        return CommandLine::fail(refusal, 2);
    QVector<JUnitFile::Suite> suites;
    QHash<QString, double> times;
    for (const QString &input : inputs) {
        QString error;
        if (!JUnitFile::read(input, &suites, &times, &error))
            return CommandLine::fail(QStringLiteral("cannot read %1: %2; nothing was written").arg(input, error), 2);
    }
    QString error;
    if (!MTools::CheckedSaveFile::writeFile(outputPath, JUnitFile::merged(suites), &error))
        return CommandLine::fail(QStringLiteral("cannot write %1: %2").arg(outputPath, error), 2);
    return 0;
}
