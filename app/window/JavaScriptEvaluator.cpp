#include "JavaScriptEvaluator.h"

#include "JSMainWindow.h"
#include "MUITabBar.h"
#include "MUITabBarItem.h"

#include <QCloseEvent>
#include <QMenu>
#include <QMessageBox>
#include <QVBoxLayout>

#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/RecoveryFile.h>
#include <QMDrovebot/editor/ScriptWritingTools.h>
#include <QMWidgets/App.h>
#include <QMWidgets/AppMenu.h>

static void initResources()
{
    // The images live in this static library; without this reference the
    // linker would drop them.
    Q_INIT_RESOURCE(corvella);
}

JavaScriptEvaluator::JavaScriptEvaluator(QWidget *parent)
    : QFrame(parent)
{
    initResources();
    m_tabBar = new MUITabBar;
    m_mainWindow = new JSMainWindow;
    m_mainWindow->editor()->protectFromScripts(this); // lives on main's stack
    connect(m_mainWindow, &JSMainWindow::changeWindowTitle, this, &JavaScriptEvaluator::slotChangeWindowTitle);
    createToolBar();
    createMenus();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tabBar);
    layout->addWidget(m_mainWindow);

    resize(QMWidgets::App::settingValue(QStringLiteral("Width"), 463).toInt(),
           QMWidgets::App::settingValue(QStringLiteral("Height"), 515).toInt());
}

void JavaScriptEvaluator::createToolBar()
{
    auto button = [this](MUITabBarItem *&field, const char *name, const char *caption, const char *image,
                         void (JSMainWindow::*slot)()) {
        field = m_tabBar->addButton(tr(caption), QPixmap(QString::fromLatin1(image)));
        field->setObjectName(QString::fromLatin1(name));
        if (slot)
            connect(field, &QPushButton::clicked, m_mainWindow, slot);
    };

    button(m_menuButton, "menuButton", "", ":/Icon_menu.png", nullptr);
    m_menuButton->hide();
    m_menuButton->setMaximumWidth(24);
    button(m_newButton, "newButton", "New", ":/Icon_newfile.png", &JSMainWindow::newFile);
    button(m_openButton, "openButton", "Open", ":/Icon_open.png", &JSMainWindow::open);
    button(m_saveButton, "saveButton", "Save", ":/Icon_save.png", &JSMainWindow::save);
    button(m_saveAsButton, "saveAsButton", "Save As", ":/Icon_save.png", &JSMainWindow::saveAs);
    m_tabBar->addSeparator();
    button(m_zoomInButton, "zoomInButton", "Zoom In", ":/Icon_zoom_out.png", &JSMainWindow::zoomIn);
    button(m_zoomOutButton, "zoomOutButton", "Zoom Out", ":/Icon_zoom_in.png", &JSMainWindow::zoomOut);
    m_tabBar->addSeparator();
    button(m_findButton, "findButton", "Find", ":/Icon_find.png", &JSMainWindow::find);
    m_tabBar->addSeparator();
    button(m_undoButton, "undoButton", "Undo", ":/Icon_redo.png", &JSMainWindow::undo);
    button(m_redoButton, "redoButton", "Redo", ":/Icon_undo.png", &JSMainWindow::redo);
    m_tabBar->addSeparator();
    button(m_runButton, "runButton", "Run", ":/Icon_run.png", &JSMainWindow::run);
    button(m_stopButton, "stopButton", "Stop", ":/Icon_stop.png", &JSMainWindow::stop);
    button(m_debugButton, "debugButton", "Debug", ":/Icon_debug.png", &JSMainWindow::debug);
    m_tabBar->addSeparator();
    button(m_compressButton, "compressButton", "Compress", ":/Icon_compress.png", &JSMainWindow::showCompressedContent);
    m_tabBar->addStretch(1);
    m_tabBar->addSeparator();
    button(m_moreButton, "moreButton", "More", ":/MoreApps.png", nullptr);
    if (QMWidgets::App *app = QMWidgets::App::instance())
        connect(m_moreButton, &QPushButton::clicked, app, &QMWidgets::App::slotShowMoreApps);
    button(m_appButton, "appButton", "App", ":/AppButton.png", nullptr);
}

void JavaScriptEvaluator::createMenus()
{
    // The file menu is a top-level popup; the frame owns it so it is
    // destroyed with the window.
    auto *fileMenu = new QMenu(this);
    m_menuButton->setMenu(fileMenu);
    m_mainWindow->setFileMenu(fileMenu);

    auto *appMenu = new QMWidgets::AppMenu(this);
    appMenu->setObjectName(QStringLiteral("appMenu"));
    m_appButton->setMenu(appMenu);
    // The application's own entry leads the framework's menu.
    QAction *firstFrameworkEntry = appMenu->actions().value(0);
    appMenu->insertAction(firstFrameworkEntry, m_mainWindow->batchAction());
    appMenu->insertAction(firstFrameworkEntry, m_mainWindow->writingTools()->pickAction());
    appMenu->insertAction(firstFrameworkEntry, m_mainWindow->writingTools()->recordAction());
    appMenu->insertSeparator(firstFrameworkEntry);
    connect(appMenu, &QMWidgets::AppMenu::quitPressed, this, &QWidget::close);
}

JSMainWindow *JavaScriptEvaluator::mainWindow() const
{
    return m_mainWindow;
}

MUITabBar *JavaScriptEvaluator::tabBar() const
{
    return m_tabBar;
}

void JavaScriptEvaluator::showAtStartUp()
{
    show();
    setWindowTitle(QCoreApplication::applicationName());
    show();
}

void JavaScriptEvaluator::slotChangeWindowTitle(const QString &title)
{
    setWindowTitle(title);
}

void JavaScriptEvaluator::resizeEvent(QResizeEvent *event)
{
    QMWidgets::App::setSettingValue(QStringLiteral("Width"), event->size().width());
    QMWidgets::App::setSettingValue(QStringLiteral("Height"), event->size().height());
    QFrame::resizeEvent(event);
}

void JavaScriptEvaluator::closeEvent(QCloseEvent *event)
{
    if (m_mainWindow->isModified()) {
        const QString text = tr("The text of the \"") + m_mainWindow->windowTitleText() +
                             tr("\" file has been changed. ") + tr("Do you want to quit without saving the changes?");
        const auto answer =
            QMessageBox::warning(nullptr, QStringLiteral("Warning"), text, QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            event->ignore();
            return;
        }
        event->accept();
        // The user let the changes go: nothing to offer at the next start.
        m_mainWindow->editor()->recoveryFile()->discard();
    }
    // A script still waiting in delay() would otherwise go on with no window
    // left to stop it, and keep the process alive.
    if (m_mainWindow->editor()->isEvaluating())
        m_mainWindow->stopEvaluation();
    m_mainWindow->closeBatchWindow();
}

QString JavaScriptEvaluator::applicationStyleSheet()
{
    return QStringLiteral(
        "QLabel { color: white; font: 14px; background: qradialgradient(cx:0, cy:0, radius: 1, fx:0.1, fy:0.1, "
        "stop:0.7 rgb(80,80,100), stop:0 rgba( 55, 60, 100, 80), stop:1 rgba( 0,0,105,50)); border-radius: 4px; "
        "padding: 2px; }\n"
        "QLineEdit { background: qlineargradient(x1:0, y1:1, x2:0, y2:0, stop:1 rgba(80, 80, 80, 255), "
        "stop:0.4 rgba(133,133,135,255), stop:0.1 rgba(80, 80, 80, 255) ); border-radius: 5px; min-height:32px; "
        "border: 1px; color: white; border-color: white; border-style: inset; selection-background-color:white; "
        // Without it the selected text keeps the field's white: a blank bar.
        "selection-color: black; }\n"
        "MUITabBarItem { background: qlineargradient(x1:0, y1:1, x2:0, y2:0, stop:1 rgba(70,70,70,255), "
        "stop:0.2 rgba(31, 31, 33, 255), stop:0 rgba(20,20,20,255) ); font: 9px; color: lightgray; }\n"
        "MUITabBarItem:pressed { background: qlineargradient(x1:0, y1:1, x2:0, y2:0, stop:0 rgba(70,70,70,255), "
        "stop:0.4 rgba(31, 31, 33, 255), stop:1 rgba(20,20,20,255) ); }\n"
        "MUITabBarItem:hover { background: qlineargradient(x1:0, y1:1, x2:0, y2:0, stop:1 rgba(90,90,90,255), "
        "stop:0.2 rgba(51, 51, 53, 255), stop:0 rgba(40,40,40,255) ); color: white; }\n"
        "MUITabBar { background: qlineargradient(x1:0, y1:1, x2:0, y2:0, stop:1 rgba(70,70,70,255), "
        "stop:0.2 rgba(31, 31, 33, 255), stop:0 rgba(20,20,20,255) ); color: white; }\n"
        "QMenu { color: white; background: qlineargradient(x1:1, y1:1, x2:0, y2:0, stop:0 rgb(10,10,10), "
        "stop:1 rgb(80,80,80)); border-radius: 5px; border: 2px ridge gray; }\n"
        "QMenu::item { padding: 2px 25px 2px 20px; border: 1px transparent; margin: 2px; }\n"
        "QMenu:!active { background-image: url(background.png); }\n"
        "QMenu::item:selected { background-color: qlineargradient(x1:0, y1:1, x2:0, y2:0, stop:0.1 rgb(4,12,100), "
        "stop:0.1 rgb(0,0,155), stop:1 rgba(131,167,222,50)); border-radius: 5px; }\n"
        "QMenu::separator { height: 1px; background: lightgray; margin-left: 10px; margin-right: 5px; }\n"
        "QMenu::item:disabled { color: gray; }\n"
        "QMenu::indicator { color: white; width: 13px; height: 13px; }\n"
        "QPushButton#PushButton { border: 1px solid gray ; font: 14px bold; border-radius: 5px; color: lightgray; "
        "padding: 1px 8px 1px 8px; background: qlineargradient(x1:0, y1:1, x2:0, y2:0, stop:1 rgb(80,80,80), "
        "stop:0.4 rgb(31, 31, 33), stop:0.1 rgb(80,80,80) ); }\n"
        "QPushButton#PushButton:pressed { background: qlineargradient(x1:0, y1:1, x2:0, y2:0, stop:1 rgb(31, 31, 33), "
        "stop:0.4 rgb(80,80,80), stop:0.1 rgb(31, 31, 31) ); }\n"
        "QDialog { background-image: url(:/panelbackground.png); border: 2px ridge gray; }\n"
        "QCheckBox { color: white; }\n");
}
