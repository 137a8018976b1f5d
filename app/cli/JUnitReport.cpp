#include "JUnitReport.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <MTools/CheckedSaveFile.h>

namespace {

bool allowedInXml(uint c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD);
}

// One pass: what XML cannot carry becomes U+FFFD, markup is escaped, and in
// attributes the white space a parser would fold is kept as references.
QString escaped(const QString &text, bool attribute)
{
    QString result;
    result.reserve(text.size() + text.size() / 16);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            result += c;
            result += text.at(++i);
            continue;
        }
        switch (c.unicode()) {
        case '&':
            result += QLatin1String("&amp;");
            break;
        case '<':
            result += QLatin1String("&lt;");
            break;
        case '>':
            result += QLatin1String("&gt;");
            break;
        case '"':
            result += attribute ? QLatin1String("&quot;") : QLatin1String("\"");
            break;
        case '\r':
            result += QLatin1String("&#13;");
            break;
        case '\n':
            result += attribute ? QLatin1String("&#10;") : QLatin1String("\n");
            break;
        case '\t':
            result += attribute ? QLatin1String("&#9;") : QLatin1String("\t");
            break;
        default:
            result += allowedInXml(c.unicode()) ? c : QChar(QChar::ReplacementCharacter);
        }
    }
    return result;
}

QString attribute(const char *name, const QString &value)
{
    return QLatin1Char(' ') + QLatin1String(name) + QLatin1String("=\"") + escaped(value, true) + QLatin1Char('"');
}

QString seconds(double value)
{
    return QString::number(value, 'f', 3);
}

bool isError(JUnitReport::Outcome outcome)
{
    return outcome == JUnitReport::Outcome::Error || outcome == JUnitReport::Outcome::Unfinished;
}

QByteArray caseXml(const JUnitReport::Case &c)
{
    using Outcome = JUnitReport::Outcome;
    QString xml = QLatin1String("    <testcase") + attribute("name", c.name) + attribute("classname", c.className) +
                  attribute("time", seconds(c.seconds)) + QLatin1String(">\n");
    if (c.outcome == Outcome::Failed || isError(c.outcome)) {
        const QString text =
            c.outcome == Outcome::Unfinished ? QStringLiteral("The script did not finish") : c.failureText;
        const char *element = c.outcome == Outcome::Failed ? "failure" : "error";
        xml += QLatin1String("      <") + QLatin1String(element) +
               attribute("message", text.section(QLatin1Char('\n'), 0, 0)) + attribute("type", QLatin1String(element)) +
               QLatin1Char('>') + escaped(text, false) + QLatin1String("</") + QLatin1String(element) +
               QLatin1String(">\n");
    } else if (c.outcome == Outcome::NotRun) {
        xml += QLatin1String("      <skipped message=\"not run\"/>\n");
    }
    const QLatin1String attempt(c.outcome == Outcome::Passed ? "flakyFailure" : "rerunFailure");
    for (const JUnitReport::Attempt &a : c.earlierAttempts) {
        xml +=
            QLatin1String("      <") + attempt + attribute("message", a.failureText.section(QLatin1Char('\n'), 0, 0)) +
            attribute("type", QLatin1String(a.error ? "error" : "failure")) + QLatin1String(">\n        <stackTrace>") +
            escaped(a.failureText, false) + QLatin1String("</stackTrace>\n");
        if (!a.systemOut.isEmpty())
            xml +=
                QLatin1String("        <system-out>") + escaped(a.systemOut, false) + QLatin1String("</system-out>\n");
        xml += QLatin1String("      </") + attempt + QLatin1String(">\n");
    }
    if (!c.systemOut.isEmpty())
        xml += QLatin1String("      <system-out>") + escaped(c.systemOut, false) + QLatin1String("</system-out>\n");
    xml += QLatin1String("    </testcase>\n");
    return xml.toUtf8();
}

// A folder name with dots would read as several levels.
QString classPart(const QString &folder)
{
    return QString(folder).replace(QLatin1Char('.'), QLatin1Char('_'));
}

} // namespace

JUnitReport::JUnitReport(const QString &suiteName)
    : m_suiteName(suiteName)
{
}

QVector<JUnitReport::Case> JUnitReport::namedCases(const QString &suiteName, const QString &baseFolder,
                                                   const QStringList &scripts)
{
    QVector<Case> cases;
    QHash<QString, int> seen;
    const QDir base(baseFolder);
    for (int row = 0; row < scripts.size(); ++row) {
        Case c;
        c.className = suiteName;
        if (scripts[row].isEmpty()) {
            c.name = QStringLiteral("(empty row %1)").arg(row + 1);
        } else {
            const QFileInfo info(scripts[row]);
            c.name = info.fileName();
            const QStringList folders = base.relativeFilePath(info.absolutePath()).split(QLatin1Char('/'));
            for (const QString &folder : folders) {
                if (!folder.isEmpty() && folder != QLatin1String(".") && folder != QLatin1String(".."))
                    c.className += QLatin1Char('.') + classPart(folder);
            }
        }
        const int count = ++seen[c.className + QLatin1Char('/') + c.name];
        if (count > 1)
            c.name += QStringLiteral(" (%1)").arg(count);
        cases.append(c);
    }
    return cases;
}

void JUnitReport::append(const Case &c)
{
    m_cases.append(c);
    m_caseXml.append(caseXml(c));
}

void JUnitReport::setCase(int index, const Case &c)
{
    m_cases[index] = c;
    m_caseXml[index] = caseXml(c);
}

const JUnitReport::Case &JUnitReport::at(int index) const
{
    return m_cases.at(index);
}

int JUnitReport::size() const
{
    return m_cases.size();
}

void JUnitReport::setIncomplete(const QString &reason)
{
    m_incomplete = reason;
}

QByteArray JUnitReport::toXml() const
{
    double total = 0;
    int failures = 0, errors = 0, skipped = 0, bytes = 0;
    for (int i = 0; i < m_cases.size(); ++i) {
        const Outcome outcome = m_cases[i].outcome;
        total += m_cases[i].seconds;
        failures += outcome == Outcome::Failed ? 1 : 0;
        errors += isError(outcome) ? 1 : 0;
        skipped += outcome == Outcome::NotRun ? 1 : 0;
        bytes += m_caseXml[i].size();
    }
    QByteArray incomplete;
    if (!m_incomplete.isEmpty()) {
        incomplete =
            caseXml({QStringLiteral("(run not complete)"), m_suiteName, 0, Outcome::Error, m_incomplete, {}, {}});
        ++errors;
    }
    const int tests = m_cases.size() + (incomplete.isEmpty() ? 0 : 1);
    const QString counts = attribute("tests", QString::number(tests)) +
                           attribute("failures", QString::number(failures)) +
                           attribute("errors", QString::number(errors));
    const QString head =
        QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites") + counts +
        attribute("time", seconds(total)) + QLatin1String(">\n  <testsuite") + attribute("name", m_suiteName) + counts +
        attribute("skipped", QString::number(skipped)) + attribute("time", seconds(total)) +
        attribute("timestamp", QDateTime::currentDateTime().toString(Qt::ISODate)) + QLatin1String(">\n");
    const QByteArray tail("  </testsuite>\n</testsuites>\n");

    QByteArray xml = head.toUtf8();
    xml.reserve(xml.size() + bytes + incomplete.size() + tail.size());
    for (const QByteArray &c : m_caseXml)
        xml += c;
    xml += incomplete;
    xml += tail;
    return xml;
}

bool JUnitReport::write(const QString &path, QString *error) const
{
    return MTools::CheckedSaveFile::writeFile(path, toXml(), error);
}
