#pragma once

#include <QObject>

namespace QMDrovebot {

// Scripts reach every published widget's deleteLater() slot. The
// application's own windows must not go that way: the frame lives on main's
// stack, and the editor and its panes are used right after any run, so a
// deleted one crashes the program at once or at the next click. The guard
// swallows their deferred deletion and reports it; widgets a script created
// itself are not guarded and can still be deleted. Their ordinary deletion
// by their parents is not deferred and is not affected.
class DeletionGuard : public QObject
{
    Q_OBJECT

public:
    explicit DeletionGuard(QObject *parent = nullptr);

    void protect(QObject *object);

signals:
    // `object` stays alive; the text says which one a script tried to delete.
    void refused(const QString &message);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace QMDrovebot
