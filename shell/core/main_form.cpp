#include "core/main_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <algorithm>

#include "access/admin_panel.h"
#include "access/password_check.h"
#include "access/set_password_form.h"
#include "core/about_box.h"
#include "core/application_filter.h"
#include "core/artwork.h"
#include "core/dialogs.h"
#include "core/leopard_style.h"
#include "core/list_file.h"
#include "core/screen_layout.h"
#include "core/startup_settings.h"
#include "lockdown/desktop_policy.h"
#include "lockdown/lockdown_sequences.h"
#include "lockdown/volume_control.h"
#include "programs/allowed_programs.h"
#include "programs/launcher_buttons.h"
#include "programs/virtual_desktop.h"
#include "timer/timer_controls.h"
#include "timer/times_up.h"
#include "websites/browser_pane.h"
#include "websites/carousel_view.h"
#include "websites/highlight_image.h"
#include "websites/link_panel_view.h"
#include "websites/popup_form.h"
#include "websites/web_engine.h"

namespace tn {

namespace {
constexpr int kGearsSize = 27;
constexpr int kQuestionmarkSize = 32;
// The countdown sits on the strip right of the logo.
constexpr int kTimeLabelLeft = 300;
constexpr int kTimeLabelTop = 10;

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

    auto* gears = new THighlightImage(this);
    connect(gears, &THighlightImage::clicked, this, [this] { GearsClick(); });
    Gears = gears;
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
    Panel1 = new QWidget;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    launcher_ = std::make_unique<LauncherButtons>(Panel1, 1, [this](std::size_t index) { Launch(index); });
    PageControl1->addTab(SpTBXTabSheet1, QStringLiteral("World Wide Web"));
    PageControl1->addTab(SpTBXTabSheet3, QStringLiteral("Software"));
    PageControl1->addTab(SpTBXTabSheet2, QStringLiteral("Activities"));

    const auto fill = [](QWidget* page, QWidget* content) {
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(content);
    };
    fill(SpTBXTabSheet3, Panel1);
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
    VirtualDesktopImage = new THighlightImage(this);
    VirtualDesktopImage->setObjectName(QStringLiteral("VirtualDesktopImage"));
    VirtualDesktopImage->setToolTip(QStringLiteral("Click here to display the virtual desktop"));
    VirtualDesktopImage->hide();
    connect(VirtualDesktopImage, &THighlightImage::clicked, this, [this] { VirtualDesktopImageClick(); });
    QuestionmarkImage = new THighlightImage(this);
    QuestionmarkImage->setObjectName(QStringLiteral("QuestionmarkImage"));
    QuestionmarkImage->setToolTip(QStringLiteral("About Tumblenest"));
    QuestionmarkImage->setPixmap(artwork::questionMark(kQuestionmarkSize));
    QuestionmarkImage->setFixedSize(kQuestionmarkSize, kQuestionmarkSize);
    connect(QuestionmarkImage, &THighlightImage::clicked, this, [this] { QuestionmarkImageClick(); });

    timer_ = new TimerControls(this, {[this] {
                                          if (sounds_) sounds_->play(Sounds::Tick);
                                      },
                                      [this] { timeUp(); }, [this] { syncTimerButton(); }});
    timer_->TimeLabel->move(kTimeLabelLeft, kTimeLabelTop);
    volume_ = new VolumeControlView(this, services_.wave_out, model_.SettingsList);
    DelayLockdouwnW7 = new QTimer(this);
    DelayLockdouwnW7->setObjectName(QStringLiteral("DelayLockdouwnW7"));
    DelayLockdouwnW7->setInterval(1000);
    DelayLockdouwnW7->setSingleShot(true);
    policy_ =
        std::make_unique<DesktopPolicy>(services_.registry, services_.shell_open, services_.processes,
                                        services_.lockdown, services_.end_desktop_process_on_unlock, [this] {
                                            if (!DelayLockdouwnW7->isActive()) DelayLockdouwnW7->start();
                                        });
    connect(DelayLockdouwnW7, &QTimer::timeout, this, [this] { policy_->DelayLockdouwnW7Timer(); });
    CheckPWTimer = new QTimer(this);
    CheckPWTimer->setObjectName(QStringLiteral("CheckPWTimer"));
    CheckPWTimer->setInterval(1);
    connect(CheckPWTimer, &QTimer::timeout, this, [this] { CheckPWTimerTimer(); });
    createAdminPanel();

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
    hooks.link_scroll_checked = [this] { return TestPanel->LinkScrollEnableCheckBox->isChecked(); };
    hooks.line6_yes = [this] { return model_.SettingsList.yes(setting::kLinkScrolling); };
    hooks.popup_context = [this] {
        return PopUpContext{TestPanel->LargeLinkPopUpCheckBox->isChecked(),
                            PasswordCheck && PasswordCheck->isVisible()};
    };
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
    RebuildLauncherButtons();
}

void TForm1::RebuildLauncherButtons() {
    launcher_->rebuild(AllowedPrograms(model_.AppNameListBox, model_.AppPathListBox));
}

void TForm1::Launch(std::size_t index) {
    const AllowedPrograms programs(model_.AppNameListBox, model_.AppPathListBox);
    if (index >= programs.count()) return;
    const std::string path(programs.path(index));
    pending_shortcut_target_ = resolveShortcut(services_.shell_links, path);
    // A shortcut's target is started once, by the virtual desktop's delayed start, which also tells
    // the child when it cannot start; anything else is opened here. A failed open is silent, and the
    // virtual desktop is shown all the same.
    if (pending_shortcut_target_.empty()) (void)services_.shell_open.open({}, path, {}, {});
    showMinimized();
    if (sounds_) sounds_->play(Sounds::Slip);
    if (VirtualDesktop) VirtualDesktop->open();
}

void TForm1::VirtualDesktopImageClick() {
    showMinimized();
    if (VirtualDesktop) VirtualDesktop->open();
}

QLabel* TForm1::homeImage() const {
    return HomeImage;
}

QLabel* TForm1::virtualDesktopImage() const {
    return VirtualDesktopImage;
}

QLabel* TForm1::questionmarkImage() const {
    return QuestionmarkImage;
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
    qApp->setStyleSheet(leopardStyleSheet());
    TestPanel->loadShortcutTree();

    filter_ = new ApplicationFilter(this);
    qApp->installEventFilter(filter_);

    const QSize screen = QGuiApplication::primaryScreen()->size();
    const MainLayout layout = layoutMainTabs(screen.width(), screen.height());
    const Rect& pc = layout.page_control;
    PageControl1->setGeometry(pc.left, pc.top, pc.width, pc.height);
    // The three tabs share the strip equally, each at most 1000 pixels wide.
    // Each tab's border takes 2 pixels of its share; no padding or margin, so three always fit.
    const int tab_width = std::min(pc.width / PageControl1->count(), 1000) - 2;
    PageControl1->tabBar()->setUsesScrollButtons(false);
    PageControl1->setStyleSheet(
        QStringLiteral(
            "QTabBar::tab { height: %1px; width: %2px; padding: 0px; margin: 0px; font-family: Arial, "
            "\"Liberation Sans\", sans-serif; font-weight: bold; font-size: %3pt; }")
            .arg(layout.tab_height)
            .arg(tab_width)
            .arg(std::max(8, layout.tab_height * 2 / 5)));
    QuestionmarkImage->move(1, screen.height() - QuestionmarkImage->height());
    TestPanel->layoutFor(screen.width(), screen.height());

    TextList blocked;
    TestPanel->LargeLinkPopUpCheckBox->setChecked(s.large_link_popup);
    carousel_->layout(screen.width(), screen.height());
    link_panel_->layoutFor(screen.width());
    // The two pictures take the carousel's place when it is hidden: as high as a thumbnail, at the
    // left arrow, keeping their proportions inside boxes 54 and 126 wide.
    const int strip = carousel_->slotHeight();
    const int left = carousel_->LeftArrow->x();
    volume_->slider()->resize(VolumeControlView::kWidth, strip);
    HomeImage->setGeometry(left, 8, 54, strip);
    HomeImage->setPixmap(artwork::house(54, strip));
    VirtualDesktopImage->setGeometry(left, 0, 126, strip);
    VirtualDesktopImage->setPixmap(artwork::desktop(std::min(126, strip * 4 / 3), strip));

    loadListFile(path("files/blocked.ini"), blocked);
    model_.BlockedSiteListBox.assign(std::move(blocked));
    setCtrlAltDelDisabled(lockdown, s.ctrl_alt_del_disabled);
    TestPanel->CTLALTDELCheck->setChecked(s.ctrl_alt_del_disabled);

    // The play timer arms itself when the parent asked for it at every start.
    const StartupArming arming =
        timer_->timer().armAtStartup(model_.SettingsList.line(setting::kTimerAtEveryStart),
                                     model_.SettingsList.line(setting::kTimerLength));
    TestPanel->DefaultTimerCheckBox->setChecked(arming.default_box_checked);
    if (arming.selected_index) TestPanel->TimeListBox->setCurrentRow(*arming.selected_index);
    timer_->sync();

    TestPanel->VolumeControlEnableCheckBox->setChecked(s.show_volume_control);
    volume_->setShown(s.show_volume_control);
    (void)volume_->setPositionFromSettings(model_.SettingsList.line(setting::kVolumePosition));
    TestPanel->LinkScrollEnableCheckBox->setChecked(s.link_scrolling);
    carousel_->setScrollTimerEnabled(s.link_scrolling);
    TestPanel->AutoUpdateEnableCheckBox->setChecked(s.automatic_updates);
    TestPanel->AutoEnableAllActivitiesCheckBox->setChecked(s.enable_new_activities);
    TestPanel->BlockPopUpsCheckBox->setChecked(s.block_popups);
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
    TestPanel->refreshPrograms();

    browser_->navigateHome();
    ActivitiesWebBrowser->load(QUrl::fromLocalFile(QString::fromStdString(activitiesPagePath(data_dir_))));

    carousel_->load(model_.sites);
    RebuildLauncherButtons();
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
    RebuildLauncherButtons();
    placeTopRight();
    // The first-run password check runs at the first tick after the first show.
    if (!password_checked_) {
        password_checked_ = true;
        CheckPWTimer->start();
    }
}

void TForm1::FormActivate() {
    placeTopRight();
}

void TForm1::placeTopRight() {
    const int w = QGuiApplication::primaryScreen()->size().width();
    const TopRightPlacement place = tn::placeTopRight(w, Gears->width(), VolumeControlView::kWidth);
    Gears->move(place.gears_left, 0);
    volume_->slider()->move(place.volume_left, 0);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The child must have no way to close the shell: a window manager's close request (its close
    // key, a task-bar menu) is refused. Closing from outside goes through closeFromOutside().
    event->ignore();
}

void TForm1::closeFromOutside() {
    closing_ = true;
    FormClose();
    terminateOnce();
}

void TForm1::terminateOnce() {
    if (terminating_) return;
    terminating_ = true;
    services_.terminate();
}

bool TForm1::restartPending() const {
    return !model_.RestartMemo.empty() && model_.RestartMemo[0] == "yes";
}

void TForm1::RestartThroughUpdater() {
    // Marked first, so that no later handler of this process starts the updater a second time.
    if (model_.RestartMemo.empty()) model_.RestartMemo.append({});
    model_.RestartMemo.set(0, "Already Restarting");
    // The updater ends what is left of this process, swaps the executable and starts it again; if it
    // cannot start, the shell ends all the same and nothing is reported.
    (void)services_.shell_open.open({}, path("update"), {}, {});
    terminateOnce();
}

void TForm1::FormClose() {
    services_.keyboard_hook.FreeHook();
    itemUnlock(services_.lockdown);
    policy_->UnlockWindows7Click();
    keyUnlock(services_.lockdown);
    // A failed write keeps the previous file; at this point there is nobody left to tell.
    (void)saveListFile(path("files/config.ini"), model_.SettingsList.lines());
    policy_->restartSidebar({});
    if (restartPending()) RestartThroughUpdater();
}

void TForm1::FormDestroy() {
    if (filter_) qApp->removeEventFilter(filter_);
    launcher_.reset();
    services_.keyboard_hook.FreeHook();
}

void TForm1::ExitButtonClick() {
    if (!services_.dialogs.confirm(this, QStringLiteral("Are you sure you want to exit Tumblenest?"))) return;
    if (sounds_) sounds_->play(Sounds::Exit);
    // A save that fails keeps the shell open: the parent has been told which file, and nothing the
    // parent changed is lost.
    if (!SaveSettingsButtonClick()) return;
    model_.ListBox1 = joinSiteRecords(model_.sites);
    if (const auto error = saveListFile(path("files/sites.ini"), model_.ListBox1)) {
        services_.dialogs.information(
            this,
            QStringLiteral("The site list could not be saved to \"files/sites.ini\": %1.\n\nThe previous "
                           "file was kept and Tumblenest stays open, so that no change is lost.")
                .arg(QString::fromStdString(error.message())));
        return;
    }
    if (restartPending()) {
        RestartThroughUpdater();
    } else {
        terminateOnce();
    }
}

void TForm1::MinimizeButtonClick() {
    showMinimized();
}

}  // namespace tn
