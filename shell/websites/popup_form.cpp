#include "websites/popup_form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "core/dialogs.h"
#include "websites/browser_pane.h"
#include "websites/web_engine.h"

namespace tn {

TPopUpForm::TPopUpForm(const std::string& data_dir, std::function<bool(std::string_view)> blocked,
                       IDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      data_dir_(data_dir),
      policy_(data_dir),
      blocked_(std::move(blocked)),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("TPopUpForm"));
    setWindowTitle(QStringLiteral("Pop-Up"));
    resize(642, 331 + 17);

    auto* strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("Panel1"));
    strip->setFixedHeight(17);
    strip->setStyleSheet(QStringLiteral("background: #3a78c8;"));
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 1, 1, 1);
    row->setSpacing(2);
    row->addStretch(1);
    auto* size_button = new QPushButton(QStringLiteral("|-|"), strip);
    size_button->setObjectName(QStringLiteral("SpTBXButton2"));
    auto* close_button = new QPushButton(QStringLiteral("X"), strip);
    close_button->setObjectName(QStringLiteral("SpTBXButton1"));
    for (auto* b : {size_button, close_button}) {
        b->setFixedSize(19, 15);
        b->setFocusPolicy(Qt::NoFocus);
        row->addWidget(b);
    }
    connect(close_button, &QPushButton::clicked, this, &TPopUpForm::SpTBXButton1Click);
    connect(size_button, &QPushButton::clicked, this, &TPopUpForm::SpTBXButton2Click);

    PopUpBrowser = new QWebEngineView(this);
    PopUpBrowser->setObjectName(QStringLiteral("PopUpBrowser"));
    page_ = new ShellWebPage(PopUpBrowser);
    page_->setFilter([this](const QUrl& url, bool) { return allow(url); });
    // A pop-up opened from the pop-up window loads in the pop-up window itself.
    page_->setWindowFactory([this]() -> QWebEnginePage* { return page_; });
    PopUpBrowser->setPage(page_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(strip);
    column->addWidget(PopUpBrowser, 1);
}

QWebEnginePage* TPopUpForm::openForNewWindow() {
    if (!isVisible()) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        move(screen.center() - rect().center());
        show();
    }
    raise();
    activateWindow();
    return page_;
}

bool TPopUpForm::allow(const QUrl& url) {
    if (addressAllowed(policy_, url, blocked_)) return true;
    // The box is shown after the refusal has returned: a modal loop inside the engine's navigation
    // callback would hold the engine up.
    QTimer::singleShot(0, this, [this] { dialogs_.information(this, QStringLiteral("Site Blocked")); });
    return false;
}

void TPopUpForm::clear() {
    PopUpBrowser->load(QUrl::fromLocalFile(QString::fromStdString(data_dir_ + "files/blank.html")));
}

void TPopUpForm::SpTBXButton1Click() {
    PopUpBrowser->stop();
    clear();
    hide();
}

void TPopUpForm::SpTBXButton2Click() {
    if (isMaximized()) {
        showNormal();
    } else {
        showMaximized();
    }
}

void TPopUpForm::closeEvent(QCloseEvent* event) {
    clear();
    hide();
    event->ignore();
}

}  // namespace tn
