#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/ScriptEngine.h>

#include <QFile>
#include <QMetaMethod>
#include <QProcess>
#include <QRegularExpression>
#include <QScriptValueIterator>
#include <QtTest>

#include <memory>

// docs/scripting.md is what script writers read; these checks hold it to what
// a script really sees and to what `corvella --help` really lists. Documented
// means a heading "### `name(...)`" for a global function, "### `name`" for a
// published object, and `Object.member` somewhere for each member of our own
// published classes.
class tst_ScriptingReference : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void globalNames_data();
    void globalNames();
    void membersOfPublishedObjects();
    void examplesAreTheRunnableFiles();
    void commandLineMatchesHelp();

private:
    static QSet<QString> matches(const QString &text, const QString &pattern, int group = 1);
    static QString listed(QSet<QString> names);

    QString m_doc;
    std::unique_ptr<QMDrovebot::Editor> m_editor;
};

QSet<QString> tst_ScriptingReference::matches(const QString &text, const QString &pattern, int group)
{
    QSet<QString> found;
    QRegularExpressionMatchIterator it =
        QRegularExpression(pattern, QRegularExpression::MultilineOption).globalMatch(text);
    while (it.hasNext())
        found.insert(it.next().captured(group));
    return found;
}

QString tst_ScriptingReference::listed(QSet<QString> names)
{
    QStringList sorted = names.values();
    sorted.sort();
    return sorted.join(QStringLiteral(", "));
}

void tst_ScriptingReference::initTestCase()
{
    QFile file(QStringLiteral(CORVELLA_SOURCE_DIR "/docs/scripting.md"));
    QVERIFY2(file.open(QIODevice::ReadOnly), "docs/scripting.md cannot be read");
    m_doc = QString::fromUtf8(file.readAll());
    m_editor = std::make_unique<QMDrovebot::Editor>();
}

void tst_ScriptingReference::globalNames_data()
{
    // What the editor's engine has beyond a bare engine is the script API.
    QSet<QString> functions, objects;
    QScriptEngine bare;
    QScriptValueIterator it(m_editor->engine()->globalObject());
    while (it.hasNext()) {
        it.next();
        if (bare.globalObject().property(it.name()).isValid())
            continue;
        if (it.value().isQObject())
            objects.insert(it.name());
        else if (it.value().isFunction())
            functions.insert(it.name());
    }
    QTest::addColumn<QSet<QString>>("registered");
    QTest::addColumn<QSet<QString>>("documented");
    QTest::addColumn<QString>("heading");
    QTest::newRow("functions") << functions << matches(m_doc, QStringLiteral("^### `([A-Za-z_]\\w*)\\("))
                               << "`name(...)`";
    QTest::newRow("objects") << objects << matches(m_doc, QStringLiteral("^### `([A-Za-z_]\\w*)`")) << "`name`";
}

void tst_ScriptingReference::globalNames()
{
    QFETCH(QSet<QString>, registered);
    QFETCH(QSet<QString>, documented);
    QFETCH(QString, heading);
    QVERIFY(registered.size() > 4);
    const QSet<QString> missing = QSet<QString>(registered).subtract(documented);
    const QSet<QString> unknown = QSet<QString>(documented).subtract(registered);
    QVERIFY2(missing.isEmpty(),
             qPrintable("docs/scripting.md: add a heading ### " + heading + " for " + listed(missing)));
    QVERIFY2(unknown.isEmpty(), qPrintable("docs/scripting.md documents what scripts do not see; remove the heading "
                                           "or register: " +
                                           listed(unknown)));
}

void tst_ScriptingReference::membersOfPublishedObjects()
{
    const QScriptValue global = m_editor->engine()->globalObject();
    QSet<QString> missing, unknown;
    QScriptValueIterator it(global);
    while (it.hasNext()) {
        it.next();
        QObject *object = it.value().toQObject();
        if (!object)
            continue;
        const QString name = it.name();
        const QSet<QString> mentioned = matches(m_doc, "\\b" + QRegularExpression::escape(name) + "\\.([A-Za-z_]\\w*)");
        for (const QString &member : mentioned) {
            if (!it.value().property(member).isValid())
                unknown.insert(name + '.' + member);
        }
        // Only what our own classes add: the toolkit's members are its to document.
        const QMetaObject *meta = object->metaObject();
        QSet<QString> own;
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.methodType() == QMetaMethod::Slot && method.access() == QMetaMethod::Public)
                own.insert(QString::fromLatin1(method.name()));
        }
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
            own.insert(QString::fromLatin1(meta->property(i).name()));
        for (const QString &member : qAsConst(own)) {
            if (!mentioned.contains(member))
                missing.insert(name + '.' + member);
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable("docs/scripting.md: describe " + listed(missing)));
    QVERIFY2(unknown.isEmpty(), qPrintable("docs/scripting.md names members that do not exist: " + listed(unknown)));
}

void tst_ScriptingReference::examplesAreTheRunnableFiles()
{
    // The example scripts run in the test suite; the copies in the reference
    // must be those very files.
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("<!-- example: (\\S+) -->\\n```js\\n(.*?)```"),
                           QRegularExpression::DotMatchesEverythingOption)
            .globalMatch(m_doc);
    QVERIFY2(it.hasNext(), "docs/scripting.md has no worked example");
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        QFile file(QStringLiteral(CORVELLA_SOURCE_DIR "/") + match.captured(1));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(match.captured(1) + " is missing"));
        QVERIFY2(QString::fromUtf8(file.readAll()) == match.captured(2),
                 qPrintable("docs/scripting.md: copy " + match.captured(1) + " into its code block again"));
    }
}

void tst_ScriptingReference::commandLineMatchesHelp()
{
    QProcess process;
    process.start(QStringLiteral(CORVELLA_BINARY), {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(30000));
    QSet<QString> helped;
    for (const QString &line : matches(QString::fromUtf8(process.readAllStandardOutput()), "^\\s+(-\\S.*?)(\\s{2,}|$)"))
        helped += matches(line, QStringLiteral("(?<![\\w-])(--?[A-Za-z][\\w-]*)"));

    const int start = m_doc.indexOf(QLatin1String("\n## Command line"));
    QVERIFY2(start >= 0, "docs/scripting.md has no section \"## Command line\"");
    const int end = m_doc.indexOf(QLatin1String("\n## "), start + 1);
    QSet<QString> documented;
    for (const QString &cell : matches(m_doc.mid(start, end < 0 ? -1 : end - start), "^\\| (`[^|]*)\\|"))
        documented += matches(cell, QStringLiteral("(?<![\\w-])(--?[A-Za-z][\\w-]*)"));

    QVERIFY(helped.contains(QStringLiteral("--run")));
    QVERIFY2(documented == helped,
             qPrintable("docs/scripting.md's command-line table and corvella --help differ; the table lacks [" +
                        listed(QSet<QString>(helped).subtract(documented)) + "] and has more [" +
                        listed(QSet<QString>(documented).subtract(helped)) + "]"));
}

QTEST_MAIN(tst_ScriptingReference)
#include "tst_scriptingreference.moc"
