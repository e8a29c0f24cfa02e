#include "websites/web_engine.h"

#include <QApplication>
#include <QRegularExpression>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>

namespace tn {

void prepareWebEngineProcess() {
    qunsetenv("QTWEBENGINE_REMOTE_DEBUGGING");
    QString flags = qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.isEmpty()) {
        flags.remove(QRegularExpression(QStringLiteral("--remote-debugging-[a-z-]+(=\\S*)?")));
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.simplified().toLocal8Bit());
    }
    // A browser view in the main window makes Qt compose the whole window through OpenGL, so each
    // one-pixel step of the carousel redraws the full screen; without a graphics card (a virtual
    // machine, software OpenGL) that alone took half a core. The software scene graph redraws only
    // what changed. A setting given by the environment wins.
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) qputenv("QT_QUICK_BACKEND", "software");
    // The engine shares its graphics context with the widgets; it must be said before the
    // application object is created.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

QWebEngineProfile* shellWebProfile() {
    static QWebEngineProfile* profile = [] {
        auto* p = new QWebEngineProfile(qApp);  // no storage name: off the record
        QWebEngineSettings* s = p->settings();
        s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
        s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
        s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
        s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);  // routed by createWindow
        QObject::connect(p, &QWebEngineProfile::downloadRequested,
                         [](QWebEngineDownloadRequest* download) { download->cancel(); });
        return p;
    }();
    return profile;
}

ShellWebPage::ShellWebPage(QObject* parent) : QWebEnginePage(shellWebProfile(), parent) {
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    // printRequested is left unconnected: with no handler nothing is printed.
}

bool ShellWebPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool is_main_frame) {
    // The navigation type is not trusted: every kind passes the same filter.
    return !filter_ || filter_(url, is_main_frame);
}

QWebEnginePage* ShellWebPage::createWindow(WebWindowType) {
    return window_factory_ ? window_factory_() : nullptr;
}

QStringList ShellWebPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) {
    return {};
}

}  // namespace tn
