#pragma once

#include <QObject>
#include <QScriptable>

namespace QMDrovebot {

// Published to scripts as "Test". A passing check is silent; a failing one
// emits testOutput with a line that names the check, both values and the
// script line, which the editor shows as an error so the run counts as failed.
class TestObj : public QObject, protected QScriptable
{
    Q_OBJECT

public:
    explicit TestObj(QObject *parent = nullptr);

signals:
    void testOutput(const QString &text);

public slots:
    void compare(const QString &actual, const QString &expected);
    void compare(bool actual, bool expected);
    void compare(int actual, int expected);
    void verify(bool condition);

private:
    void fail(const QString &what);
    // The line of the calling script statement in the editor's text, or -1
    // when the check was not called from a script.
    int scriptLine() const;
};

} // namespace QMDrovebot
