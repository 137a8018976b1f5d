#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QPointer>
#include <QVariant>

class QSettings;
class QWidget;

namespace QMWidgets {

// The application object: identity, the per-user settings store, the working
// directories of the file dialogs and the framework's own menu actions.
//
// The settings and directory accessors are static and also work without an
// App instance (for example inside a QtTest executable, which creates a plain
// QApplication): they then use a settings store with the same organization and
// application names, so behaviour under test equals behaviour in the program.
class App : public QApplication
{
    Q_OBJECT

public:
    App(int &argc, char **argv, const QString &organization, const QString &application);
    ~App() override;

    static App *instance();

    // Inside another program's process (no App instance) the settings and
    // the default folders would otherwise be that program's: Corvella's
    // tools there keep Corvella's own.
    static void setIdentityWithoutApp(const QString &organization, const QString &application);

    // Keys are stored as "<application name>/<key>".
    static QVariant settingValue(const QString &key, const QVariant &defaultValue = QVariant());
    static void setSettingValue(const QString &key, const QVariant &value);

    static QString openDirectory();
    static void setOpenDirectory(const QString &directory);
    static QString saveDirectory();
    static void setSaveDirectory(const QString &directory);

    void setProductPage(const QString &url);
    QString productPage() const;
    void setMainWidget(QWidget *widget);
    QWidget *mainWidget() const;

    // Options for every file dialog of the program. Tests set
    // CORVELLA_NON_NATIVE_DIALOGS so the toolkit's own dialog, which a test
    // can drive, is used instead of a platform dialog.
    static QFileDialog::Options fileDialogOptions();

    // Addresses the framework's web actions open. Neutral on purpose.
    static QString webAddress(const QString &page);

signals:
    // The frame shows itself again on this signal. Nothing emits it yet: it
    // waits for a platform that reports clicks on the application's dock icon.
    void dockClicked();

public slots:
    void slotShowMoreApps();
    void slotShareApp();
    void slotJoin();
    void slotContactUs();
    void slotSupportPage();
    void slotCheckUpdate();
    void slotAbout();

private:
    void openWebPage(const QString &page);

    QSettings *m_settings = nullptr;
    QString m_productPage;
    QPointer<QWidget> m_mainWidget;
};

} // namespace QMWidgets
