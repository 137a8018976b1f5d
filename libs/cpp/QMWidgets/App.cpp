#include "App.h"

#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QSettings>
#include <QUrl>

namespace QMWidgets {

namespace {

QString &openDir()
{
    static QString dir;
    return dir;
}

QString &saveDir()
{
    static QString dir;
    return dir;
}

QString &organizationWithoutApp()
{
    static QString name;
    return name;
}

QString &applicationWithoutApp()
{
    static QString name;
    return name;
}

QString storeOrganization()
{
    return App::instance() || organizationWithoutApp().isEmpty() ? QCoreApplication::organizationName()
                                                                 : organizationWithoutApp();
}

QString storeApplication()
{
    return App::instance() || applicationWithoutApp().isEmpty() ? QCoreApplication::applicationName()
                                                                : applicationWithoutApp();
}

QString defaultDirectory()
{
    const QString name = storeApplication().isEmpty() ? QStringLiteral("Corvella") : storeApplication();
    return QDir::homePath() + QLatin1Char('/') + name + QLatin1Char('/');
}

QString applicationPrefix()
{
    return storeApplication() + QLatin1Char('/');
}

// Toolkit warnings would mix with what a script prints when it runs from a
// terminal, so they are dropped; CORVELLA_SHOW_QT_MESSAGES brings them back
// for debugging. A fatal message still ends the process: the toolkit aborts
// after the handler returns.
void silentMessageHandler(QtMsgType, const QMessageLogContext &, const QString &) {}

// Installed before the toolkit's application object exists, so even the
// messages printed while it starts up are discarded.
int &installSilentHandler(int &argc)
{
    if (qEnvironmentVariableIsEmpty("CORVELLA_SHOW_QT_MESSAGES"))
        qInstallMessageHandler(silentMessageHandler);
    return argc;
}

} // namespace

App::App(int &argc, char **argv, const QString &organization, const QString &application)
    : QApplication(installSilentHandler(argc), argv)
{
    setOrganizationName(organization);
    setApplicationName(application);
    m_settings = new QSettings(organization, application, this);
    openDir() = defaultDirectory();
    saveDir() = defaultDirectory();
}

App::~App()
{
    qInstallMessageHandler(nullptr);
}

App *App::instance()
{
    return qobject_cast<App *>(QCoreApplication::instance());
}

void App::setIdentityWithoutApp(const QString &organization, const QString &application)
{
    organizationWithoutApp() = organization;
    applicationWithoutApp() = application;
}

QVariant App::settingValue(const QString &key, const QVariant &defaultValue)
{
    if (App *app = instance())
        return app->m_settings->value(applicationPrefix() + key, defaultValue);
    QSettings settings(storeOrganization(), storeApplication());
    return settings.value(applicationPrefix() + key, defaultValue);
}

void App::setSettingValue(const QString &key, const QVariant &value)
{
    if (App *app = instance()) {
        app->m_settings->setValue(applicationPrefix() + key, value);
        return;
    }
    QSettings settings(storeOrganization(), storeApplication());
    settings.setValue(applicationPrefix() + key, value);
}

QString App::openDirectory()
{
    if (openDir().isEmpty())
        openDir() = defaultDirectory();
    return openDir();
}

void App::setOpenDirectory(const QString &directory)
{
    openDir() = directory;
}

QString App::saveDirectory()
{
    if (saveDir().isEmpty())
        saveDir() = defaultDirectory();
    return saveDir();
}

void App::setSaveDirectory(const QString &directory)
{
    saveDir() = directory;
}

void App::setProductPage(const QString &url)
{
    m_productPage = url;
}

QString App::productPage() const
{
    return m_productPage;
}

void App::setMainWidget(QWidget *widget)
{
    m_mainWidget = widget;
}

QWidget *App::mainWidget() const
{
    return m_mainWidget;
}

QFileDialog::Options App::fileDialogOptions()
{
    return qEnvironmentVariableIsSet("CORVELLA_NON_NATIVE_DIALOGS") ? QFileDialog::DontUseNativeDialog
                                                                    : QFileDialog::Options();
}

QString App::webAddress(const QString &page)
{
    return QStringLiteral("https://example.org/corvella/") + page;
}

void App::openWebPage(const QString &page)
{
    const QString address = webAddress(page);
    // openUrl hands the address to the desktop's handler without waiting for
    // it; where no handler exists it returns false at once, so the user gets
    // the address to open by hand instead of nothing.
    if (!QDesktopServices::openUrl(QUrl(address))) {
        QMessageBox::information(m_mainWidget, applicationName(),
                                 tr("No web browser could be started. The page is:\n%1").arg(address));
    }
}

void App::slotShowMoreApps()
{
    openWebPage(QStringLiteral("apps"));
}

void App::slotShareApp()
{
    openWebPage(QStringLiteral("share"));
}

void App::slotJoin()
{
    openWebPage(QStringLiteral("join"));
}

void App::slotContactUs()
{
    openWebPage(QStringLiteral("contact"));
}

void App::slotSupportPage()
{
    openWebPage(QStringLiteral("support"));
}

void App::slotCheckUpdate()
{
    openWebPage(QStringLiteral("updates"));
}

void App::slotAbout()
{
    QMessageBox::about(
        m_mainWidget, tr("About"),
        QStringLiteral("<h2>%1</h2><p>%2 %3</p>").arg(applicationName(), tr("Version"), applicationVersion()));
}

} // namespace QMWidgets
