#include "core/main_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <algorithm>

#include "core/application_filter.h"
#include "core/artwork.h"
#include "core/dialogs.h"
#include "core/list_file.h"
#include "core/screen_layout.h"
#include "core/startup_settings.h"
#include "lockdown/lockdown_sequences.h"
#include "websites/browser_pane.h"
#include "websites/carousel_view.h"
#include "websites/highlight_image.h"
#include "websites/link_panel_view.h"
#include "websites/popup_form.h"
#include "websites/web_engine.h"

namespace tn {

namespace {
constexpr int kGearsSize = 27;

}  // namespace

TForm1::TForm1(ShellServices services, std::string data_dir, Settings settings, QWidget* parent)
    : QWidget(parent),
      services_(std::move(services)),
      data_dir_(std::move(data_dir)),
      pending_settings_(std::move(settings)) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("TBNX"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAutoFillBackground(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::yellow);
    setPalette(pal);

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(artwork::logo());
    Image2->setGeometry(0, 0, 290, 74);

    Gears = new QLabel(this);
    Gears->setObjectName(QStringLiteral("Gears"));
    Gears->setPixmap(artwork::gears(kGearsSize));
    Gears->setFixedSize(kGearsSize, kGearsSize);
    Gears->setCursor(Qt::PointingHandCursor);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setTabPosition(QTabWidget::South);
    PageControl1->tabBar()->setExpanding(true);
    SpTBXTabSheet1 = new QWidget;
    SpTBXTabSheet3 = new QWidget;
    SpTBXTabSheet2 = new QWidget;
    PageControl1->addTab(SpTBXTabSheet1, QStringLiteral("World Wide Web"));
    PageControl1->addTab(SpTBXTabSheet3, QStringLiteral("Software"));
    PageControl1->addTab(SpTBXTabSheet2, QStringLiteral("Activities"));

    const auto fill = [](QWidget* page, QWidget* content) {
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(content);
    };
    blocked_ = [this](std::string_view url) { return model_.BlockedSiteListBox.blocks(url); };
    browser_ = new BrowserPane(data_dir_, blocked_, [this] { return popups_allowed_; });
    fill(SpTBXTabSheet1, browser_);

    // The activities browser opens no window at all and shows no context menu.
    ActivitiesWebBrowser = new QWebEngineView;
    ActivitiesWebBrowser->setObjectName(QStringLiteral("ActivitiesWebBrowser"));
    ActivitiesWebBrowser->setContextMenuPolicy(Qt::NoContextMenu);
    auto* activities_page = new ShellWebPage(ActivitiesWebBrowser);
    activities_page->setFilter([policy = AddressPolicy(data_dir_), this](const QUrl& url, bool) {
        return addressAllowed(policy, url, blocked_);
    });
    ActivitiesWebBrowser->setPage(activities_page);
    fill(SpTBXTabSheet2, ActivitiesWebBrowser);

    createWebsiteControls();

    HomeImage = new THighlightImage(this);
    HomeImage->setObjectName(QStringLiteral("HomeImage"));
    HomeImage->setToolTip(QStringLiteral("Click here to go to the Activities Homepage"));
    HomeImage->hide();
    // The picture brings the activities browser back to the activities page.
    connect(HomeImage, &THighlightImage::clicked, this, [this] {
        ActivitiesWebBrowser->load(
            QUrl::fromLocalFile(QString::fromStdString(activitiesPagePath(data_dir_))));
    });
    VirtualDesktopImage = new QLabel(this);
    VirtualDesktopImage->setObjectName(QStringLiteral("VirtualDesktopImage"));
    VirtualDesktopImage->setToolTip(QStringLiteral("Click here to display the virtual desktop"));
    VirtualDesktopImage->hide();

    // The tab strip's clicks; the tab control itself switches the page.
    connect(PageControl1->tabBar(), &QTabBar::tabBarClicked, this, [this](int index) {
        switch (index) {
            case 0:
                SpTBXTabItem1Click();
                break;
            case 1:
                SpTBXTabItem3Click();
                break;
            case 2:
                SpTBXTabItem2Click();
                break;
            default:
                break;
        }
    });
}

void TForm1::createWebsiteControls() {
    CarouselView::Hooks hooks;
    hooks.link_scroll_checked = [this] { return link_scroll_checked_; };
    hooks.line6_yes = [this] { return model_.SettingsList.yes(setting::kLinkScrolling); };
    hooks.popup_context = [this] { return PopUpContext{large_link_popup_checked_, false}; };
    hooks.open = [this](const std::string& url) { browser_->navigate(url); };
    hooks.show_link_panel = [this] {
        link_panel_->show();
        link_panel_->raise();
    };
    hooks.paint_background = [this](QPainter& p, const QRect& area) {
        p.drawPixmap(area, background(), area);
    };
    carousel_ = new CarouselView(this, data_dir_, std::move(hooks));

    ErrorMessageMemo = new QPlainTextEdit(this);
    ErrorMessageMemo->setObjectName(QStringLiteral("ErrorMessageMemo"));
    ErrorMessageMemo->setReadOnly(true);
    ErrorMessageMemo->hide();  // shown on the administration panel

    link_panel_ = new LinkPanelView(
        this, model_.sites, data_dir_,
        {[this](const std::string& url) { browser_->navigate(url); },
         [this](const std::string& line) { ErrorMessageMemo->appendPlainText(QString::fromStdString(line)); },
         [this](const std::string& message) {
             services_.dialogs.information(this, QString::fromStdString(message));
         }});
}

const QPixmap& TForm1::background() {
    if (background_.size() != size()) {
        background_ = QPixmap(size());
        QPainter bp(&background_);
        artwork::paintBackground(bp, rect());
    }
    return background_;
}

void TForm1::setPopUpForm(TPopUpForm* popup) {
    popup_ = popup;
    browser_->setPopUpForm(popup);
}

void TForm1::rebuildActivities() {
    const ActivitiesRebuild result = rebuildActivitiesPage(data_dir_, model_.activities);
    for (const auto& line : result.error_lines)
        ErrorMessageMemo->appendPlainText(QString::fromStdString(line));
    // The previous page stays in place; the parent learns why the new one could not be made.
    if (!result.page_written) services_.dialogs.information(this, QString::fromStdString(result.failure));
}

void TForm1::closePopUp() {
    if (popup_ && popup_->isVisible()) popup_->SpTBXButton1Click();
}

void TForm1::SpTBXTabItem1Click() {
    HomeImage->hide();
    if (sounds_) sounds_->play(Sounds::Slip);
    VirtualDesktopImage->hide();
    carousel_->setScrollTimerEnabled(model_.SettingsList.yes(setting::kLinkScrolling));
    carousel_->setVisible(true);
}

void TForm1::SpTBXTabItem2Click() {
    link_panel_->hide();
    VirtualDesktopImage->hide();
    if (sounds_) sounds_->play(Sounds::Slip);
    HomeImage->show();
    carousel_->setScrollTimerEnabled(false);
    carousel_->setVisible(false);
    closePopUp();
}

void TForm1::SpTBXTabItem3Click() {
    HomeImage->hide();
    link_panel_->hide();
    if (sounds_) sounds_->play(Sounds::Slip);
    VirtualDesktopImage->show();
    carousel_->setScrollTimerEnabled(false);
    carousel_->setVisible(false);
    closePopUp();
}

QLabel* TForm1::homeImage() const {
    return HomeImage;
}

TForm1::~TForm1() {
    FormDestroy();
}

void TForm1::FormCreate() {
    if (created_) return;
    created_ = true;
    ILockdown& lockdown = services_.lockdown;

    setWindowTitle(QStringLiteral("Tumblenest"));
    itemLock(lockdown);
    keyLock(lockdown);
    model_.SettingsList = std::move(pending_settings_);
    const StartupSettings s = readStartupSettings(model_.SettingsList);

    services_.desktop.minimizeAll();

    filter_ = new ApplicationFilter(this);
    qApp->installEventFilter(filter_);

    const QSize screen = QGuiApplication::primaryScreen()->size();
    const MainLayout layout = layoutMainTabs(screen.width(), screen.height());
    const Rect& pc = layout.page_control;
    PageControl1->setGeometry(pc.left, pc.top, pc.width, pc.height);
    // The three tabs share the strip equally, each at most 1000 pixels wide.
    const int tab_width = std::min(pc.width / PageControl1->count(), 1000) - 4;
    PageControl1->setStyleSheet(
        QStringLiteral("QTabBar::tab { height: %1px; width: %2px; font-weight: bold; font-size: %3pt; }")
            .arg(layout.tab_height)
            .arg(tab_width)
            .arg(std::max(8, layout.tab_height * 2 / 5)));

    TextList blocked;
    large_link_popup_checked_ = s.large_link_popup;
    carousel_->layout(screen.width(), screen.height());
    link_panel_->layoutFor(screen.width());
    // The two pictures take the carousel's place when it is hidden: as high as a thumbnail, at the
    // left arrow, keeping their proportions inside boxes 54 and 126 wide.
    const int strip = carousel_->slotHeight();
    const int left = carousel_->LeftArrow->x();
    HomeImage->setGeometry(left, 8, 54, strip);
    HomeImage->setPixmap(artwork::house(54, strip));
    VirtualDesktopImage->setGeometry(left, 0, 126, strip);
    VirtualDesktopImage->setPixmap(artwork::desktop(std::min(126, strip * 4 / 3), strip));

    loadListFile(path("files/blocked.ini"), blocked);
    model_.BlockedSiteListBox.assign(std::move(blocked));
    setCtrlAltDelDisabled(lockdown, s.ctrl_alt_del_disabled);

    link_scroll_checked_ = s.link_scrolling;
    carousel_->setScrollTimerEnabled(s.link_scrolling);
    popups_allowed_ = !s.block_popups;

    model_.DeletedBlackListBox.clear();
    loadListFile(path("files/sites.ini"), model_.ListBox1);
    loadListFile(path("files/appnames.ini"), model_.AppNameListBox);
    loadListFile(path("files/apppaths.ini"), model_.AppPathListBox);
    loadListFile(path("files/deletedbl.ini"), model_.DeletedBlackListBox);

    model_.sites = SiteColumns{};
    sounds_ = std::make_unique<Sounds>(services_.sound_system, data_dir_);

    loadListFile(path("files/SuggestedWebsites.ini"), model_.SuggestedSiteLinks);
    loadListFile(path("files/Suggestedsitetitles.ini"), model_.SuggestedWebsitesListBox);
    loadListFile(path("files/summary.ini"), model_.UpdateSummary);

    splitSiteRecords(model_.ListBox1, model_.sites);

    rebuildActivities();

    browser_->navigateHome();
    ActivitiesWebBrowser->load(QUrl::fromLocalFile(QString::fromStdString(activitiesPagePath(data_dir_))));

    carousel_->load(model_.sites);
    sounds_->play(Sounds::Bass);
    link_panel_->Button17Click();
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

bool TForm1::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return QWidget::event(event);
}

void TForm1::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.drawPixmap(event->rect(), background(), event->rect());
}

void TForm1::FormShow() {
    placeTopRight();
}

void TForm1::FormActivate() {
    placeTopRight();
}

void TForm1::placeTopRight() {
    const int w = QGuiApplication::primaryScreen()->size().width();
    const TopRightPlacement place = tn::placeTopRight(w, Gears->width(), 0);
    Gears->move(place.gears_left, 0);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The child must have no way to close the shell: a window manager's close request (its close
    // key, a task-bar menu) is refused. Closing from outside goes through closeFromOutside().
    event->ignore();
}

void TForm1::closeFromOutside() {
    FormClose();
    services_.terminate();
}

void TForm1::FormClose() {
    services_.keyboard_hook.FreeHook();
    itemUnlock(services_.lockdown);
    keyUnlock(services_.lockdown);
    // A failed write keeps the previous file; at this point there is nobody left to tell.
    (void)saveListFile(path("files/config.ini"), model_.SettingsList.lines());
}

void TForm1::FormDestroy() {
    if (filter_) qApp->removeEventFilter(filter_);
    services_.keyboard_hook.FreeHook();
}

void TForm1::ExitButtonClick() {
    if (!services_.dialogs.confirm(this, QStringLiteral("Are you sure you want to exit Tumblenest?"))) return;
    if (sounds_) sounds_->play(Sounds::Exit);
    model_.ListBox1 = joinSiteRecords(model_.sites);
    if (const auto error = saveListFile(path("files/sites.ini"), model_.ListBox1)) {
        services_.dialogs.information(
            this,
            QStringLiteral("The site list could not be saved to \"files/sites.ini\": %1.\n\nThe previous "
                           "file was kept and Tumblenest stays open, so that no change is lost.")
                .arg(QString::fromStdString(error.message())));
        return;
    }
    services_.terminate();
}

void TForm1::MinimizeButtonClick() {
    showMinimized();
}

}  // namespace tn
