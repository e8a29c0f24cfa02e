#include "programs/virtual_desktop.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QRegion>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>
#include <utility>

#include "core/dialogs.h"
#include "programs/allowed_programs.h"
#include "programs/launcher_buttons.h"

namespace tn {
namespace {

constexpr int kExitButtonWidth = 41;
constexpr int kExitButtonHeight = 33;
constexpr int kExitButtonMargin = 2;  // from the right edge
// The launcher's first row leaves the top row to "X".
constexpr int kFirstLauncherRow = 2;
constexpr int kKeepInPlaceInterval = 3000;
constexpr int kDelayedStartInterval = 1000;
constexpr int kRestoreInterval = 3000;
constexpr int kStartWait = 500;  // before the delayed start, and before it forgets the target

}  // namespace

TVirtualDesktop::TVirtualDesktop(Services services, Actions actions, TextList& names, TextList& paths,
                                 std::string& pending_target, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      services_(services),
      actions_(std::move(actions)),
      names_(names),
      paths_(paths),
      pending_target_(pending_target),
      titles_(services.windows, &TVirtualDesktop::ownWindow) {
    setObjectName(QStringLiteral("VirtualDesktop"));
    setWindowTitle(QString::fromUtf8(kCaption));
    // Only the buttons are drawn (see updateMask); maroon is what shows around them.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(128, 0, 0));
    setPalette(colours);
    setAutoFillBackground(true);

    ExitButton = new QPushButton(QStringLiteral("X"), this);
    ExitButton->setObjectName(QStringLiteral("ExitButton"));
    ExitButton->setFixedSize(kExitButtonWidth, kExitButtonHeight);
    ExitButton->setToolTip(QStringLiteral("Close the virtual desktop and return to Tumblenest"));
    connect(ExitButton, &QPushButton::clicked, this, [this] { ExitButtonClick(); });
    placeExitButton();
    launcher_ = std::make_unique<LauncherButtons>(this, kFirstLauncherRow,
                                                  [this](std::size_t index) { launchClick(index); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kKeepInPlaceInterval);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    Timer1->start();

    DelayTimer = new QTimer(this);
    DelayTimer->setObjectName(QStringLiteral("DelayTimer"));
    DelayTimer->setInterval(kDelayedStartInterval);
    connect(DelayTimer, &QTimer::timeout, this, [this] { DelayTimerTimer(); });

    RestoreTimer = new QTimer(this);
    RestoreTimer->setObjectName(QStringLiteral("RestoreTimer"));
    RestoreTimer->setInterval(kRestoreInterval);
    connect(RestoreTimer, &QTimer::timeout, this, [this] { RestoreTimerTimer(); });

    // The waits of the delayed start are timers, so that the shell stays responsive meanwhile.
    start_wait_ = new QTimer(this);
    start_wait_->setSingleShot(true);
    start_wait_->setInterval(kStartWait);
    connect(start_wait_, &QTimer::timeout, this, [this] { startPendingTarget(); });
    clear_wait_ = new QTimer(this);
    clear_wait_->setSingleShot(true);
    clear_wait_->setInterval(kStartWait);
    connect(clear_wait_, &QTimer::timeout, this, [this] {
        // A launch in the meantime has set a new target, which is still to start.
        if (pending_target_ == started_target_) pending_target_.clear();
        started_target_.clear();
    });
}

TVirtualDesktop::~TVirtualDesktop() = default;

void TVirtualDesktop::open() {
    fillScreen();
    showFullScreen();
    raise();
    activateWindow();
}

void TVirtualDesktop::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Spontaneous show events come from the window system (a window brought back); the opening
    // steps run once per opening.
    if (!event->spontaneous()) FormShow();
}

void TVirtualDesktop::FormShow() {
    services_.display_mode.record();
    placeExitButton();
    titles_.takeOriginal(false);
    if (!pending_target_.empty()) DelayTimer->start();
    RestoreTimer->start();
    rebuildLauncherButtons();
}

void TVirtualDesktop::closeEvent(QCloseEvent* event) {
    // Requests from the window manager (its close keys and buttons) are refused: the child leaves
    // through "X", which also closes the programs started from here.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    FormClose();
    QWidget::closeEvent(event);
}

void TVirtualDesktop::FormClose() {
    // Nothing of an opening outlives it: a start still waiting is made at the next opening.
    RestoreTimer->stop();
    DelayTimer->stop();
    start_wait_->stop();
    if (actions_.maximize_main_window) actions_.maximize_main_window();
    Q_EMIT closed();
}

void TVirtualDesktop::ExitButtonClick() {
    if (titles_.closeNew()) RestoreTimer->stop();
    services_.display_mode.restore();
    if (actions_.play_slip) actions_.play_slip();
    // A hidden window gets no close event; the closing steps run all the same (time-up).
    if (isVisible()) {
        close();
    } else {
        FormClose();
    }
}

void TVirtualDesktop::Timer1Timer() {
    if (isVisible()) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!isFullScreen() || (screen != nullptr && geometry() != screen->geometry())) {
            update();
            fillScreen();
            showFullScreen();
        }
    }
    if (ExitButton->x() != width() - kExitButtonWidth - kExitButtonMargin) placeExitButton();
    // Without a window manager to keep it above, windows opened later cover it.
    if (isVisible()) raise();
}

void TVirtualDesktop::DelayTimerTimer() {
    DelayTimer->stop();
    start_wait_->start();
}

void TVirtualDesktop::startPendingTarget() {
    titles_.takeOriginal(true);
    const std::string target = pending_target_;
    if (target.empty()) return;
    if (services_.shell_open.start(target, startFolder(target))) {
        if (actions_.minimize_main_window) actions_.minimize_main_window();
        started_target_ = target;
        clear_wait_->start();
    } else {
        // The target stays pending: the next opening tries again.
        services_.dialogs.information(this, QString::fromUtf8(kStartFailed));
    }
}

void TVirtualDesktop::RestoreTimerTimer() {
    SpTBXButton1Click();
}

void TVirtualDesktop::SpTBXButton1Click() {
    titles_.restore();
    // Without a window manager nothing keeps it above the windows just brought forward.
    if (isVisible()) raise();
}

const std::vector<QPointer<QPushButton>>& TVirtualDesktop::launcherButtons() const {
    return launcher_->buttons();
}

void TVirtualDesktop::launchClick(std::size_t index) {
    const AllowedPrograms programs(names_, paths_);
    if (index >= programs.count()) return;
    const std::string path(programs.path(index));
    // The program starts once, here, through the shell (a shortcut with its own folder). Nothing is
    // left pending: the next opening would otherwise start the shortcut's target a second time.
    pending_target_.clear();
    (void)services_.shell_open.open({}, path, {}, {});
}

void TVirtualDesktop::mousePressEvent(QMouseEvent* event) {
    event->accept();
    FormClick();
}

void TVirtualDesktop::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    FormDblClick();
}

void TVirtualDesktop::FormClick() {
    lower();
}

void TVirtualDesktop::FormDblClick() {
    lower();
}

void TVirtualDesktop::rebuildLauncherButtons() {
    launcher_->rebuild(AllowedPrograms(names_, paths_));
    updateMask();
}

void TVirtualDesktop::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The launcher buttons have followed the new width already.
    placeExitButton();
}

void TVirtualDesktop::placeExitButton() {
    ExitButton->move(width() - kExitButtonWidth - kExitButtonMargin, 0);
    updateMask();
}

void TVirtualDesktop::fillScreen() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->geometry());
}

void TVirtualDesktop::updateMask() {
    // Outside the mask the window is neither drawn nor hit: clicks reach the windows below, with
    // or without a compositor.
    QRegion region(ExitButton->geometry());
    if (launcher_) {
        for (const QPointer<QPushButton>& button : launcher_->buttons()) {
            if (button) region += button->geometry();
        }
    }
    setMask(region);
}

bool TVirtualDesktop::ownWindow(IWindows::Id id) {
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->handle() != nullptr && static_cast<IWindows::Id>(window->winId()) == id) return true;
    }
    return false;
}

}  // namespace tn
