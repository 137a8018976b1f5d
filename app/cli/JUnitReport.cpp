#include "JUnitReport.h"

#include <QDateTime>
#include <QXmlStreamWriter>

#include <algorithm>

#include <MTools/CheckedSaveFile.h>

namespace {

bool allowedInXml(uint c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

QString xmlSafe(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            result += c;
            result += text.at(++i);
        } else {
            result += allowedInXml(c.unicode()) ? c : QChar(QChar::ReplacementCharacter);
        }
    }
    return result;
}

QString seconds(double value)
{
    return QString::number(value, 'f', 3);
}

} // namespace

JUnitReport::JUnitReport(const QString &suiteName)
    : m_suiteName(suiteName)
{
}

QVector<JUnitReport::Case> &JUnitReport::cases()
{
    return m_cases;
}

const QVector<JUnitReport::Case> &JUnitReport::cases() const
{
    return m_cases;
}

int JUnitReport::failureCount() const
{
    return int(std::count_if(m_cases.begin(), m_cases.end(), [](const Case &c) {
        return c.outcome == Outcome::Failed || c.outcome == Outcome::Unfinished;
    }));
}

QByteArray JUnitReport::toXml() const
{
    double total = 0;
    int skipped = 0;
    for (const Case &c : m_cases) {
        total += c.seconds;
        skipped += c.outcome == Outcome::NotRun ? 1 : 0;
    }
    const QString tests = QString::number(m_cases.size());
    const QString failures = QString::number(failureCount());

    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    xml.writeAttribute(QStringLiteral("tests"), tests);
    xml.writeAttribute(QStringLiteral("failures"), failures);
    xml.writeAttribute(QStringLiteral("errors"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("time"), seconds(total));
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"), xmlSafe(m_suiteName));
    xml.writeAttribute(QStringLiteral("tests"), tests);
    xml.writeAttribute(QStringLiteral("failures"), failures);
    xml.writeAttribute(QStringLiteral("errors"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("skipped"), QString::number(skipped));
    xml.writeAttribute(QStringLiteral("time"), seconds(total));
    xml.writeAttribute(QStringLiteral("timestamp"), QDateTime::currentDateTime().toString(Qt::ISODate));
    for (const Case &c : m_cases) {
        xml.writeStartElement(QStringLiteral("testcase"));
        xml.writeAttribute(QStringLiteral("name"), xmlSafe(c.name));
        xml.writeAttribute(QStringLiteral("classname"), xmlSafe(c.className));
        xml.writeAttribute(QStringLiteral("time"), seconds(c.seconds));
        if (c.outcome == Outcome::Failed || c.outcome == Outcome::Unfinished) {
            const QString text =
                c.outcome == Outcome::Failed ? c.failureText : QStringLiteral("The script did not finish");
            xml.writeStartElement(QStringLiteral("failure"));
            xml.writeAttribute(QStringLiteral("message"), xmlSafe(text.section(QLatin1Char('\n'), 0, 0)));
            xml.writeCharacters(xmlSafe(text));
            xml.writeEndElement();
        } else if (c.outcome == Outcome::NotRun) {
            xml.writeEmptyElement(QStringLiteral("skipped"));
            xml.writeAttribute(QStringLiteral("message"), QStringLiteral("not run"));
        }
        if (!c.systemOut.isEmpty())
            xml.writeTextElement(QStringLiteral("system-out"), xmlSafe(c.systemOut));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

bool JUnitReport::write(const QString &path, QString *error) const
{
    return MTools::CheckedSaveFile::writeFile(path, toXml(), error);
}
