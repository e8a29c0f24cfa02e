// The browser pane, the pop-up window and the activities browser against a real web server on
// 127.0.0.1: what the filter refuses is never requested, and new windows go where the setting says.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "core/main_form.h"
#include "platform/doubles/recording.h"
#include "support/http_server.h"
#include "support/qt_support.h"
#include "support/shell_services.h"
#include "support/temp_dir.h"
#include "websites/browser_pane.h"
#include "websites/popup_form.h"

namespace tn {
namespace {

using namespace std::chrono_literals;

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 15s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (condition()) return true;
    }
    return false;
}

void settle(std::chrono::milliseconds time = 500ms) {
    waitFor([] { return false; }, time);
}

int visibleMenus() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMenu*>(w) && w->isVisible()) ++n;
    }
    return n;
}

class BrowserTest : public ::testing::Test {
protected:
    BrowserTest() {
        test::qtApp();
        dir.write("files/index.htm", "<html><body>home</body></html>");
        dir.write("files/blank.html", "<html></html>");
        blocked = TextList::fromLines({"", "blocked-frame", "bad-target", "blocked-popup"});
        pane = std::make_unique<BrowserPane>(data_dir(), check(), [this] { return popups_allowed; });
        popup = std::make_unique<TPopUpForm>(data_dir(), check(), dialogs);
        pane->setPopUpForm(popup.get());
        pane->resize(800, 600);
        pane->show();
    }
    std::string data_dir() const { return dir.path() + "/"; }
    std::function<bool(std::string_view)> check() {
        return [this](std::string_view url) {
            for (auto e : blocked) {
                if (!e.empty() && url.find(e) != std::string_view::npos) return true;
            }
            return false;
        };
    }
    // Loads a page into the pane and waits until it has finished.
    bool load(const std::string& url) {
        bool done = false;
        auto c =
            QObject::connect(pane->WebBrowser1, &QWebEngineView::loadFinished, [&](bool) { done = true; });
        pane->navigate(url);
        const bool ok = waitFor([&] { return done; });
        QObject::disconnect(c);
        return ok;
    }
    void clickLink(QWebEngineView* view, const char* id) {
        view->page()->runJavaScript(
            QStringLiteral("document.getElementById('%1').click()").arg(QLatin1String(id)));
    }

    test::TempDir dir;
    test::HttpServer server;
    test::ScriptedDialogs dialogs;
    TextList blocked;
    bool popups_allowed = true;
    std::unique_ptr<BrowserPane> pane;
    std::unique_ptr<TPopUpForm> popup;
};

TEST_F(BrowserTest, BlockedFrameInsideAnAllowedPageIsNeverRequested) {
    server.page("/page.html",
                "<html><body>page<iframe src=\"/blocked-frame.html\"></iframe>"
                "<iframe src=\"/fine-frame.html\"></iframe></body></html>");
    server.page("/fine-frame.html", "fine");
    server.page("/blocked-frame.html", "should not load");
    EXPECT_FALSE(pane->WebBlockedLabel->isVisible());
    ASSERT_TRUE(load(server.url("/page.html")));
    EXPECT_TRUE(waitFor([&] { return server.requested("/fine-frame.html"); }));
    EXPECT_TRUE(pane->WebBlockedLabel->isVisible());
    EXPECT_TRUE(pane->WebBlockedTimer.isActive());
    EXPECT_FALSE(server.requested("/blocked-frame.html"));
    EXPECT_EQ(pane->WebBrowser1->url().toString().toStdString(), server.url("/page.html"));
}

TEST_F(BrowserTest, BlockedRedirectTargetIsRefused) {
    server.route("/go", {302, "", {{"Location", "/bad-target.html"}}});
    server.page("/bad-target.html", "should not load");
    load(server.url("/go"));
    EXPECT_TRUE(waitFor([&] { return pane->WebBlockedLabel->isVisible(); }));
    EXPECT_TRUE(server.requested("/go"));
    EXPECT_FALSE(server.requested("/bad-target.html"));
}

TEST_F(BrowserTest, LocalFilesOutsideTheDataDirectoryAreRefused) {
    test::TempDir elsewhere;
    elsewhere.write("outside.html", "<html>secret</html>");
    ASSERT_TRUE(load("file://" + data_dir() + "files/index.htm"));
    EXPECT_FALSE(pane->WebBlockedLabel->isVisible());
    load("file://" + elsewhere.path() + "/outside.html");
    EXPECT_TRUE(pane->WebBlockedLabel->isVisible());
    EXPECT_EQ(pane->WebBrowser1->url().toString().toStdString(), "file://" + data_dir() + "files/index.htm");
}

TEST_F(BrowserTest, HomePageLinksOpenSitesButTheHomePageCannotReachTheNetworkByItself) {
    server.page("/site.html", "<html><body>site</body></html>");
    server.page("/sneaky.html", "<html><body>sneaky</body></html>");
    dir.write("files/index.htm", "<html><body><a id=\"site\" href=\"" + server.url("/site.html") +
                                     "\">site</a><img src=\"" + server.url("/sneaky.html") +
                                     "\"></body></html>");
    pane->navigateHome();
    ASSERT_TRUE(waitFor([&] { return pane->WebBrowser1->url().isLocalFile(); }));
    settle();
    EXPECT_FALSE(server.requested("/sneaky.html"));  // a local page loads nothing remote on its own
    QPoint link;
    bool located = false;
    pane->WebBrowser1->page()->runJavaScript(
        QStringLiteral("(function(){var r=document.getElementById('site').getBoundingClientRect();"
                       "return [r.left + r.width / 2, r.top + r.height / 2];})()"),
        [&](const QVariant& v) {
            const QVariantList xy = v.toList();
            if (xy.size() == 2) link = QPoint(xy[0].toInt(), xy[1].toInt());
            located = true;
        });
    ASSERT_TRUE(waitFor([&] { return located; }));
    QTest::mouseClick(pane->WebBrowser1->focusProxy(), Qt::LeftButton, {}, link);
    EXPECT_TRUE(waitFor([&] { return pane->WebBrowser1->url().path() == "/site.html"; }));
    EXPECT_TRUE(server.requested("/site.html"));
}

TEST_F(BrowserTest, NewWindowGoesToThePopUpWindowOrThePaneAsSet) {
    server.page("/links.html",
                "<html><body><a id=\"other\" target=\"_blank\" href=\"/other.html\">o</a>"
                "<a id=\"bad\" target=\"_blank\" href=\"/blocked-popup.html\">b</a></body></html>");
    server.page("/other.html", "<html><body>other</body></html>");

    // Pop-ups allowed: the page loads in the pop-up window; the pane stays where it was.
    popups_allowed = true;
    ASSERT_TRUE(load(server.url("/links.html")));
    clickLink(pane->WebBrowser1, "other");
    EXPECT_TRUE(
        waitFor([&] { return popup->isVisible() && popup->PopUpBrowser->url().path() == "/other.html"; }));
    EXPECT_EQ(pane->WebBrowser1->url().path().toStdString(), "/links.html");

    // A blocked address in the pop-up window: "Site Blocked", and no request.
    clickLink(pane->WebBrowser1, "bad");
    EXPECT_TRUE(waitFor([&] { return !dialogs.shown.empty(); }));
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().toStdString(), "Site Blocked");
    EXPECT_FALSE(server.requested("/blocked-popup.html"));

    popup->SpTBXButton1Click();
    EXPECT_FALSE(popup->isVisible());

    // Pop-ups blocked: the page replaces the pane's, which keeps its history.
    popups_allowed = false;
    clickLink(pane->WebBrowser1, "other");
    EXPECT_TRUE(waitFor([&] { return pane->WebBrowser1->url().path() == "/other.html"; }));
    EXPECT_FALSE(popup->isVisible());
    EXPECT_TRUE(waitFor([&] { return pane->ButtonBack->isEnabled(); }));
    pane->ButtonBackClick();
    EXPECT_TRUE(waitFor([&] { return pane->WebBrowser1->url().path() == "/links.html"; }));
}

TEST_F(BrowserTest, RightClickShowsNoMenuInThePaneButTheStandardOneInThePopUp) {
    server.page("/plain.html", "<html><body style=\"height:2000px\">plain</body></html>");
    ASSERT_TRUE(load(server.url("/plain.html")));
    settle();
    QTest::mouseClick(pane->WebBrowser1->focusProxy(), Qt::RightButton, {}, QPoint(100, 100));
    settle();
    EXPECT_EQ(visibleMenus(), 0);

    // The same click in the pop-up window opens the browser's menu, which shows the check can see one.
    popup->openForNewWindow();
    bool done = false;
    QObject::connect(popup->PopUpBrowser, &QWebEngineView::loadFinished, [&](bool) { done = true; });
    popup->PopUpBrowser->load(QUrl(QString::fromStdString(server.url("/plain.html"))));
    ASSERT_TRUE(waitFor([&] { return done; }));
    settle();
    QTest::mouseClick(popup->PopUpBrowser->focusProxy(), Qt::RightButton, {}, QPoint(100, 100));
    EXPECT_TRUE(waitFor([] { return visibleMenus() > 0; }, 5s));
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMenu*>(w)) w->close();
    }
}

TEST(ActivitiesBrowserTest, OpensNoWindow) {
    test::qtApp();
    test::TempDir dir;
    test::HttpServer server;
    server.page("/popup-target.html", "target");
    dir.write("files/index.htm", "home");
    dir.write("Activities/Activities.html",
              "<html><body><a id=\"a\" target=\"_blank\" href=\"" + server.url("/popup-target.html") +
                  "\">x</a><script>window.open('" + server.url("/popup-target.html?open") +
                  "');</script></body></html>");
    dir.write("files/config.ini", test::minimalSettingsText());
    Settings settings;
    ASSERT_FALSE(loadSettingsFile(dir.file("files/config.ini"), "config.ini", settings));
    test::RecordingServices doubles;
    TForm1 form(doubles.services([] {}), dir.path() + "/", std::move(settings));
    form.FormCreate();
    TPopUpForm popup(dir.path() + "/", form.blockedCheck(), doubles.dialogs);
    form.setPopUpForm(&popup);
    form.show();
    QWebEngineView* view = form.activitiesBrowser();
    ASSERT_TRUE(waitFor([&] { return view->url().path().endsWith(QStringLiteral("Activities.html")); }));
    settle();
    view->page()->runJavaScript(QStringLiteral("document.getElementById('a').click()"));
    settle(1500ms);
    EXPECT_TRUE(server.requests().empty());
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(view->url().path().toStdString(), dir.path() + "/Activities/Activities.html");
}

}  // namespace
}  // namespace tn
