#include "websites/browser_pane.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>

#include "websites/popup_form.h"
#include "websites/web_engine.h"

namespace tn {

bool urlBlocked(const QUrl& url, const std::function<bool(std::string_view)>& blocked) {
    const QByteArray encoded = url.toEncoded();
    if (blocked(std::string_view(encoded.constData(), static_cast<std::size_t>(encoded.size())))) return true;
    const QByteArray readable = url.toString().toUtf8();
    return readable != encoded &&
           blocked(std::string_view(readable.constData(), static_cast<std::size_t>(readable.size())));
}

bool addressAllowed(const AddressPolicy& policy, const QUrl& url,
                    const std::function<bool(std::string_view)>& blocked) {
    const QByteArray text = url.toEncoded();
    return policy.allows(std::string_view(text.constData(), static_cast<std::size_t>(text.size()))) &&
           !urlBlocked(url, blocked);
}

BrowserPane::BrowserPane(const std::string& data_dir, std::function<bool(std::string_view)> blocked,
                         std::function<bool()> popups_allowed, QWidget* parent)
    : QWidget(parent),
      data_dir_(data_dir),
      policy_(data_dir),
      blocked_(std::move(blocked)),
      popups_allowed_(std::move(popups_allowed)) {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("SpTBXPanel1"));
    bar->setFixedHeight(25);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(2, 1, 2, 1);
    auto button = [&](const char* name, const char* caption, const char* hint) {
        auto* b = new QPushButton(QString::fromLatin1(caption), bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromLatin1(hint));
        b->setFocusPolicy(Qt::NoFocus);
        row->addWidget(b);
        return b;
    };
    ButtonBack = button("ButtonBack", "< Back", "Click here to go back");
    ButtonForward = button("ButtonForward", "Forward >", "Click here to go forward");
    auto* refresh = button("SpTBXButton5", "Refresh", "Click here to refresh this page");
    auto* stop = button("SpTBXButton6", "Stop", "Click here to stop loading this page");
    auto* home = button("SpTBXButton7", "Home", "Click here to load the home page");
    WebBlockedLabel = new QLabel(QStringLiteral("Content Blocked!"), bar);
    WebBlockedLabel->setObjectName(QStringLiteral("WebBlockedLabel"));
    WebBlockedLabel->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    WebBlockedLabel->hide();
    row->addWidget(WebBlockedLabel);
    row->addStretch(1);

    WebBrowser1 = new QWebEngineView(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setContextMenuPolicy(Qt::NoContextMenu);
    page_ = new ShellWebPage(WebBrowser1);
    page_->setFilter([this](const QUrl& url, bool) { return allow(url); });
    // A page that asks for a new window gets the pop-up window while pop-ups are allowed; otherwise
    // the request falls through to newWindowRequested and loads in the pane, keeping its history.
    page_->setWindowFactory([this]() -> QWebEnginePage* {
        if (!popups_allowed_() || !popup_) return nullptr;
        return popup_->openForNewWindow();
    });
    connect(page_, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { WebBrowser1->load(request.requestedUrl()); });
    WebBrowser1->setPage(page_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(bar);
    column->addWidget(WebBrowser1, 1);

    WebBlockedTimer.setInterval(4000);
    WebBlockedTimer.setSingleShot(true);
    connect(&WebBlockedTimer, &QTimer::timeout, this, [this] { WebBlockedLabel->hide(); });

    // Back and Forward follow the page's own idea of what is possible.
    QAction* back = page_->action(QWebEnginePage::Back);
    QAction* forward = page_->action(QWebEnginePage::Forward);
    connect(back, &QAction::changed, this, [this, back] { ButtonBack->setEnabled(back->isEnabled()); });
    connect(forward, &QAction::changed, this,
            [this, forward] { ButtonForward->setEnabled(forward->isEnabled()); });

    connect(ButtonBack, &QPushButton::clicked, this, &BrowserPane::ButtonBackClick);
    connect(ButtonForward, &QPushButton::clicked, this, &BrowserPane::ButtonForwardClick);
    connect(refresh, &QPushButton::clicked, this, &BrowserPane::SpTBXButton5Click);
    connect(stop, &QPushButton::clicked, this, &BrowserPane::SpTBXButton6Click);
    connect(home, &QPushButton::clicked, this, &BrowserPane::SpTBXButton7Click);
}

bool BrowserPane::allow(const QUrl& url) {
    if (addressAllowed(policy_, url, blocked_)) return true;
    WebBlockedLabel->show();
    // A second refusal while the label is lit does not restart the four seconds.
    if (!WebBlockedTimer.isActive()) WebBlockedTimer.start();
    return false;
}

void BrowserPane::navigate(const std::string& url) {
    WebBrowser1->load(QUrl::fromUserInput(QString::fromStdString(url)));
}

void BrowserPane::navigateHome() {
    WebBrowser1->load(QUrl::fromLocalFile(QString::fromStdString(data_dir_ + "files/index.htm")));
}

void BrowserPane::ButtonBackClick() {
    WebBrowser1->back();
}
void BrowserPane::ButtonForwardClick() {
    WebBrowser1->forward();
}
void BrowserPane::SpTBXButton5Click() {
    WebBrowser1->reload();
}
void BrowserPane::SpTBXButton6Click() {
    WebBrowser1->stop();
}
void BrowserPane::SpTBXButton7Click() {
    navigateHome();
}

}  // namespace tn
