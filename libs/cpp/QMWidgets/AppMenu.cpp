#include "AppMenu.h"

#include "App.h"

namespace QMWidgets {

AppMenu::AppMenu(QWidget *parent)
    : QMenu(parent)
{
    App *app = App::instance();
    auto add = [this, app](const char *icon, const QString &text, void (App::*slot)()) {
        QAction *action = addAction(QIcon(QString::fromLatin1(icon)), text);
        if (app)
            connect(action, &QAction::triggered, app, slot);
    };
    add(":/share_hover.png", tr("Share"), &App::slotShareApp);
    add(":/join_hover.png", tr("Join Us"), &App::slotJoin);
    add(":/moreappsicon.png", tr("More Apps"), &App::slotShowMoreApps);
    add(":/feedback.png", tr("Contacts Us"), &App::slotContactUs);
    add(":/webpage.png", tr("Support Page"), &App::slotSupportPage);
    add(":/star.png", tr("Check Updates"), &App::slotCheckUpdate);
    add(":/appicon.png", tr("About"), &App::slotAbout);
    addSeparator();
    QAction *quit = addAction(tr("Quit"));
    connect(quit, &QAction::triggered, this, &AppMenu::quitPressed);
}

} // namespace QMWidgets
