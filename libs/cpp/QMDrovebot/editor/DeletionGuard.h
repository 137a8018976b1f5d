#pragma once

#include <QObject>
#include <QPointer>
#include <QVector>

namespace QMDrovebot {

// Scripts reach every published widget's deleteLater() slot. The
// application's own windows must not go that way: the frame lives on main's
// stack, and the editor and its panes are used right after any run, so a
// deleted one crashes the program at once or at the next click. Deleting
// what holds them (the splitter around the panes, the document window) takes
// them along, so the guard covers every ancestor of a protected object too,
// as the ancestors are now and as they become when the widgets move. It
// swallows such a deferred deletion and reports it; widgets a script created
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

private:
    void watchAncestors(QObject *object);
    bool holdsProtected(const QObject *object) const;

    QVector<QPointer<QObject>> m_protected;
};

} // namespace QMDrovebot
