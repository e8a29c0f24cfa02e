#pragma once

#include <QPointer>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/text_list.h"
#include "platform/system.h"
#include "platform/windows.h"
#include "programs/virtual_desktop_titles.h"

class QPushButton;
class QTimer;

namespace tn {

class IDialogs;
class LauncherButtons;

// The virtual desktop: a full-screen window over the programs started from the shell, drawn only
// where its buttons are (an "X" at the top right and one launcher button per allowed program);
// everywhere else it is see-through and lets clicks pass to the windows below.
//
// While open it brings the windows of programs started since it opened back to the screen every
// 3 seconds (see VirtualDesktopTitles); "X" asks those windows to close, closes the virtual
// desktop and brings the shell's main window back. It also starts the pending shortcut target a
// second after it opens.
//
// It opens without a modal loop of its own: the shell's timers keep running while it is open, and
// the `closed` signal says when it has closed. Close requests from the window manager are refused:
// "X" (or the shell) closes it.
class TVirtualDesktop final : public QWidget {
    Q_OBJECT
public:
    struct Services {
        IWindows& windows;
        IShellOpen& shell_open;
        IShellLinks& links;
        IDialogs& dialogs;
        IDisplayMode& display_mode;
    };
    // What the virtual desktop does to the rest of the shell.
    struct Actions {
        std::function<void()> minimize_main_window;
        std::function<void()> maximize_main_window;
        std::function<void()> play_slip;  // the "slip" sound
    };

    // names and paths are the allowed programs (read at each opening); pending_target is the
    // pending shortcut target shared with the main window's launcher. All must outlive the form.
    TVirtualDesktop(Services services, Actions actions, TextList& names, TextList& paths,
                    std::string& pending_target, QWidget* parent = nullptr);
    ~TVirtualDesktop() override;

    // Shows the virtual desktop full screen on the primary screen, on top and active; the show
    // runs FormShow.
    void open();

    // "X": asks the windows of programs started since the last opening to close, then closes the
    // virtual desktop. Also run at time-up, whether the virtual desktop is open or not.
    void ExitButtonClick();
    // The timers' handlers.
    void Timer1Timer();        // keeps the window full screen, "X" in place and on top
    void DelayTimerTimer();    // the delayed start of the pending shortcut target
    void RestoreTimerTimer();  // brings the started programs' windows back ("Restore")
    void SpTBXButton1Click();
    // A click on the launcher button of program index ("TEMPBUTTON<index>"): opens the program's
    // path through the shell and leaves no shortcut target pending (the program starts once).
    void launchClick(std::size_t index);

    QPushButton* exitButton() const { return ExitButton; }
    const std::vector<QPointer<QPushButton>>& launcherButtons() const;
    const VirtualDesktopTitles& titles() const { return titles_; }
    VirtualDesktopTitles& titles() { return titles_; }
    QTimer* timer1() const { return Timer1; }
    QTimer* delayTimer() const { return DelayTimer; }
    QTimer* restoreTimer() const { return RestoreTimer; }

    static constexpr const char* kCaption = "Brightwing Virtual Desktop";
    static constexpr const char* kStartFailed = "Unable to Load Software Application!";

Q_SIGNALS:
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormShow();
    void FormClose();
    void FormClick();
    void FormDblClick();
    // Rebuilds this form's launcher buttons from the program names, below the row of "X".
    void rebuildLauncherButtons();
    void placeExitButton();
    // The window covers exactly the primary screen.
    void fillScreen();
    // Only the buttons are drawn and catch clicks.
    void updateMask();
    // The second half of the delayed start, half a second after the timer's tick.
    void startPendingTarget();
    // Whether a window belongs to this program (its own windows are never tracked).
    static bool ownWindow(IWindows::Id id);

    Services services_;
    Actions actions_;
    TextList& names_;
    TextList& paths_;
    std::string& pending_target_;
    VirtualDesktopTitles titles_;

    QPushButton* ExitButton = nullptr;
    std::unique_ptr<LauncherButtons> launcher_;
    QTimer* Timer1 = nullptr;
    QTimer* DelayTimer = nullptr;
    QTimer* RestoreTimer = nullptr;
    QTimer* start_wait_ = nullptr;  // the half-second waits of the delayed start
    QTimer* clear_wait_ = nullptr;
    std::string started_target_;  // what the delayed start started, cleared when the wait is over
};

}  // namespace tn
