#pragma once

#include <QWebEnginePage>
#include <functional>

class QWebEngineProfile;

namespace tn {

// Prepares the process for the browser engine; call before the application object exists. Closes the
// remote debugger (clears its variable, drops a debugging port from the engine's flags) and chooses
// software composition of the browser views (see the definition for why).
void prepareWebEngineProcess();

// The one browser profile every embedded browser of the shell shares: kept in memory only (nothing
// of the child's browsing is stored), downloads refused, the PDF viewer and navigation by dropping
// files off, local pages kept from reading other local files and from reaching the network on their
// own. Created on first use, owned by the application.
QWebEngineProfile* shellWebProfile();

// A page of one of the shell's browsers. Every navigation (first load, link, redirect, sub-frame)
// passes the filter first; a refused one makes no request. Pages get no file chooser, no permission
// (camera, location, notifications, …), no file-system access and no printing.
class ShellWebPage final : public QWebEnginePage {
    Q_OBJECT
public:
    // url and whether it is the main frame → allow?
    using Filter = std::function<bool(const QUrl& url, bool main_frame)>;
    // What createWindow() hands out: a page to load the new window in, or null to refuse (or, when
    // a newWindowRequested handler is connected, to let that handler decide).
    using WindowFactory = std::function<QWebEnginePage*()>;

    explicit ShellWebPage(QObject* parent = nullptr);
    void setFilter(Filter filter) { filter_ = std::move(filter); }
    void setWindowFactory(WindowFactory factory) { window_factory_ = std::move(factory); }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool is_main_frame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& old_files,
                            const QStringList& accepted_mime_types) override;

private:
    Filter filter_;
    WindowFactory window_factory_;
};

}  // namespace tn
