#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

#include "websites/address_policy.h"

class QLabel;
class QPushButton;
class QWebEngineView;

namespace tn {

class ShellWebPage;
class TPopUpForm;

// The browser pane of the "World Wide Web" tab: its tool bar and the filtered browser. Every
// navigation of the pane, frames and redirects included, is refused when its address is not allowed
// at all or contains a blocked entry; a refusal lights "Content Blocked!" for four seconds.
class BrowserPane final : public QWidget {
    Q_OBJECT
public:
    // blocked(url) answers whether the block list refuses the address; it is asked at every
    // navigation, so edits of the list take effect at once. popups_allowed() is read at every new
    // window a page asks for.
    BrowserPane(const std::string& data_dir, std::function<bool(std::string_view url)> blocked,
                std::function<bool()> popups_allowed, QWidget* parent = nullptr);

    // Where the pane's pages ask for a new window while pop-ups are allowed.
    void setPopUpForm(TPopUpForm* popup) { popup_ = popup; }

    // Opens an address typed as text (a site's link) or the local home page.
    void navigate(const std::string& url);
    void navigateHome();

    // Tool bar.
    void ButtonBackClick();
    void ButtonForwardClick();
    void SpTBXButton5Click();  // Refresh
    void SpTBXButton6Click();  // Stop
    void SpTBXButton7Click();  // Home

    QWebEngineView* WebBrowser1 = nullptr;
    QLabel* WebBlockedLabel = nullptr;
    QPushButton* ButtonBack = nullptr;
    QPushButton* ButtonForward = nullptr;
    QTimer WebBlockedTimer;

private:
    bool allow(const QUrl& url);

    std::string data_dir_;
    AddressPolicy policy_;
    std::function<bool(std::string_view)> blocked_;
    std::function<bool()> popups_allowed_;
    TPopUpForm* popup_ = nullptr;
    ShellWebPage* page_ = nullptr;
};

// Whether the block list refuses a URL, checked on the address as the browser sends it
// (percent-encoded) and as a person reads it (decoded), so an entry in either form matches.
bool urlBlocked(const QUrl& url, const std::function<bool(std::string_view)>& blocked);

// The whole check of one navigation: the address may be opened at all and the block list does not
// refuse it.
bool addressAllowed(const AddressPolicy& policy, const QUrl& url,
                    const std::function<bool(std::string_view)>& blocked);

}  // namespace tn
