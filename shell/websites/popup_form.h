#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

#include "websites/address_policy.h"

class QWebEngineView;
class QWebEnginePage;

namespace tn {

class IDialogs;
class ShellWebPage;

// The pop-up window: a small borderless window with its own browser, where the browser pane's
// pages open new windows while pop-ups are allowed. Its navigations pass the same block list; a
// refusal is reported with a "Site Blocked" box. It keeps the browser's standard context menu.
class TPopUpForm final : public QWidget {
    Q_OBJECT
public:
    TPopUpForm(const std::string& data_dir, std::function<bool(std::string_view url)> blocked,
               IDialogs& dialogs, QWidget* parent = nullptr);

    // Shows the window and returns the page a new window's content is to load in.
    QWebEnginePage* openForNewWindow();

    void SpTBXButton1Click();  // "X": clear and hide
    void SpTBXButton2Click();  // "|-|": maximise or restore

    QWebEngineView* PopUpBrowser = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool allow(const QUrl& url);
    void clear();

    std::string data_dir_;
    AddressPolicy policy_;
    std::function<bool(std::string_view)> blocked_;
    IDialogs& dialogs_;
    ShellWebPage* page_ = nullptr;
};

}  // namespace tn
