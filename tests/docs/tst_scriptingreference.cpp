#include "TestSupport.h"

#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/ScriptEngine.h>

namespace {

QSet<QString> matches(const QString &text, const QString &pattern)
{
    QSet<QString> found;
    QRegularExpressionMatchIterator it =
        QRegularExpression(pattern, QRegularExpression::MultilineOption).globalMatch(text);
    while (it.hasNext())
        found.insert(it.next().captured(1));
    return found;
}

QString listed(const QSet<QString> &names)
{
    QStringList sorted = names.values();
    sorted.sort();
    return sorted.join(QStringLiteral(", "));
}

// The options in a text, as "--name" or "-n".
QSet<QString> options(const QSet<QString> &texts)
{
    QSet<QString> found;
    for (const QString &text : texts)
        found += matches(text, QStringLiteral("(?<![\\w-])(--?[A-Za-z][\\w-]*)"));
    return found;
}

} // namespace

// docs/scripting.md is what script writers read; these checks hold it to what
// a script really sees and to what `corvella --help` really lists. Documented
// means a heading "### `name(...)`" for a global function and "### `name`"
// for a published object.
class tst_ScriptingReference : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_doc = QString::fromUtf8(TestSupport::readFile(QStringLiteral(CORVELLA_SOURCE_DIR "/docs/scripting.md")));
        QVERIFY2(!m_doc.isEmpty(), "docs/scripting.md cannot be read");
    }

    void globalNames_data()
    {
        // What the editor's engine has beyond a bare engine is the script API.
        QSet<QString> functions, objects;
        QScriptEngine bare;
        for (QScriptValueIterator it(m_editor.engine()->globalObject()); it.hasNext();) {
            it.next();
            if (bare.globalObject().property(it.name()).isValid())
                continue;
            if (it.value().isQObject())
                objects << it.name();
            else if (it.value().isFunction())
                functions << it.name();
        }
        QTest::addColumn<QSet<QString>>("registered");
        QTest::addColumn<QSet<QString>>("documented");
        QTest::newRow("functions `name(...)`") << functions << matches(m_doc, "^### `([A-Za-z_]\\w*)\\(");
        QTest::newRow("objects `name`") << objects << matches(m_doc, "^### `([A-Za-z_]\\w*)`");
    }

    void globalNames()
    {
        QFETCH(QSet<QString>, registered);
        QFETCH(QSet<QString>, documented);
        QVERIFY(registered.size() > 4);
        QVERIFY2(QSet<QString>(registered).subtract(documented).isEmpty(),
                 qPrintable("docs/scripting.md: add a heading for " + listed(registered - documented)));
        QVERIFY2(QSet<QString>(documented).subtract(registered).isEmpty(),
                 qPrintable("docs/scripting.md documents what scripts do not see: " + listed(documented - registered)));
    }

    void commandLineMatchesHelp()
    {
        const QString help = QString::fromUtf8(TestSupport::corvella({QStringLiteral("--help")}).out);
        const QSet<QString> helped = options(matches(help, "^\\s+(-\\S.*?)(\\s{2,}|$)"));
        const int start = m_doc.indexOf(QLatin1String("\n## Command line"));
        QVERIFY2(start >= 0, "docs/scripting.md has no section \"## Command line\"");
        const int end = m_doc.indexOf(QLatin1String("\n## "), start + 1);
        const QSet<QString> documented =
            options(matches(m_doc.mid(start, end < 0 ? -1 : end - start), "^\\| (`[^|]*)\\|"));
        QVERIFY(helped.contains(QStringLiteral("--run")));
        QVERIFY2(documented == helped,
                 qPrintable("docs/scripting.md's command-line table and corvella --help differ; the table lacks [" +
                            listed(helped - documented) + "] and has more [" + listed(documented - helped) + "]"));
    }

    // The Wait section's examples run one after another in the real
    // window, and the dialog that the waitFor example waits for is found.
    void waitExamplesRun()
    {
        const int start = m_doc.indexOf(QLatin1String("\n## Wait\n"));
        QVERIFY(start >= 0);
        const QString section = m_doc.mid(start, m_doc.indexOf(QLatin1String("\n## "), start + 1) - start);
        QString script; // in the order they are written
        QRegularExpressionMatchIterator it =
            QRegularExpression(QStringLiteral("```js\n([^`]*)```")).globalMatch(section);
        while (it.hasNext())
            script += it.next().captured(1);
        QVERIFY(script.contains(QLatin1String("var dialog = waitFor(")));
        QTemporaryDir dir;
        const QString path =
            TestSupport::writeFile(dir.filePath(QStringLiteral("waits.js")),
                                   (script + QStringLiteral("Test.verify(dialog != null);\n")).toUtf8());
        const TestSupport::Run run = TestSupport::corvella({QStringLiteral("--run"), path});
        QVERIFY2(run.status == 0, run.out.constData());
    }

private:
    QString m_doc;
    QMDrovebot::Editor m_editor;
};

QTEST_MAIN(tst_ScriptingReference)
#include "tst_scriptingreference.moc"
