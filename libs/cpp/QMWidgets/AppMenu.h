#pragma once

#include <QMenu>

namespace QMWidgets {

class App;

// The application menu behind the tool bar's "App" button. Every entry but
// "Quit" calls the application object's slot of the same purpose; "Quit"
// only emits quitPressed() so the owner can run its close confirmation.
class AppMenu : public QMenu
{
    Q_OBJECT

public:
    explicit AppMenu(QWidget *parent = nullptr);

signals:
    void quitPressed();
};

} // namespace QMWidgets
