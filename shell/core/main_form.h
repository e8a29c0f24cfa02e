#pragma once

#include <QPixmap>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/shell_model.h"
#include "core/sounds.h"
#include "platform/lockdown.h"
#include "platform/sound.h"
#include "platform/system.h"
#include "platform/windows.h"

class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QTimer;
class QWebEngineView;

namespace tn {

class ApplicationFilter;
class BrowserPane;
class CarouselView;
class LinkPanelView;
class IDialogs;
class TPopUpForm;
class THighlightImage;
class LauncherButtons;
class AdminPanel;
class TimerControls;
class TPasswordCheck;
class TSetPWForm;
class TTimesUp;
class TVirtualDesktop;
class TAboutBox;
class VolumeControlView;
class DesktopPolicy;

// What the main window needs from outside: the platform stand-ins and the way to end the program.
// The objects must outlive the window.
struct ShellServices {
    ILockdown& lockdown;
    IKeyboardHook& keyboard_hook;
    IDesktop& desktop;
    ISoundSystem& sound_system;
    IDialogs& dialogs;
    IWindows& windows;
    IShellOpen& shell_open;
    IShellLinks& shell_links;
    IDisplayMode& display_mode;
    IRegistry& registry;
    IWaveOut& wave_out;
    IProcesses& processes;
    // The basic build leaves out ending the desktop process when the desktop policy is lifted.
    bool end_desktop_process_on_unlock;
    // Whether Caps Lock is toggled on, for the password forms' warning.
    std::function<bool()> caps_lock_on;
    // Ends the message loop (the program then destroys its windows).
    std::function<void()> terminate;
};

// The shell's one full-screen window. It owns the in-memory model and composes one collaborator per
// subsystem; it runs the start-up and close sequences in their fixed order and holds no rules of
// the subsystems itself.
class TForm1 final : public QWidget {
    Q_OBJECT
public:
    // data_dir ends with "/"; settings is the validated settings file, loaded by the program entry.
    TForm1(ShellServices services, std::string data_dir, Settings settings, QWidget* parent = nullptr);
    ~TForm1() override;  // runs FormDestroy

    // The start-up sequence; run once, before the window is first shown.
    void FormCreate();
    // Creates the windows the main window works with, in their fixed order (the password prompt, the
    // virtual desktop, the "Time Is Up" box, the set-password form); run once, after FormCreate.
    void createForms();
    // The "Exit Program" command: confirm, save, end the program.
    void ExitButtonClick();
    // The "Minimize" command.
    void MinimizeButtonClick();
    // The three main tabs: "World Wide Web", "Activities" and "Software".
    void SpTBXTabItem1Click();
    void SpTBXTabItem2Click();
    void SpTBXTabItem3Click();
    // The launcher buttons of the Software tab, one per allowed program, made anew.
    void RebuildLauncherButtons();
    // A launcher button's click: starts program `index` and shows the virtual desktop over it.
    void Launch(std::size_t index);
    // The virtual-desktop picture: minimises the window and shows the virtual desktop.
    void VirtualDesktopImageClick();

    // The gear: the password prompt, then the administration panel.
    void GearsClick();
    // The prompt accepted the password (or let the parent in because none is stored): stops the
    // child's timers, lifts every lock and shows the administration panel.
    void releaseLocks(bool password_stored);
    // Ends the keyboard hook for the rest of the run.
    void WinkeybuttonClick();
    // "Save Settings": writes every list and the settings file; false when a file could not be
    // written (the parent has been told which).
    bool SaveSettingsButtonClick();
    // "Return to Tumblenest": save, then locked mode again.
    void Button12Click();
    // The Timer page's Set/Clear button.
    void TimerButtonClick();
    // The General page's password change "Save".
    void Button2Click();
    // The question mark and the panel's "About": the about box.
    void QuestionmarkImageClick();
    // "Help": the parents' guide, opened with the desktop's viewer.
    void SpTBXButton8Click();
    // The first-run password check, once, at the first tick after the window is shown.
    void CheckPWTimerTimer();
    // A close request from outside the shell (the session ending, a termination signal): runs the
    // close sequence and ends the program. Requests from the window manager are refused instead.
    void closeFromOutside();

    // The pop-up window, created after the main window; pages ask for it only once shown.
    void setPopUpForm(TPopUpForm* popup);
    bool popUpsAllowed() const { return popups_allowed_; }
    // Whether the block list refuses an address, for browsers outside this window.
    const std::function<bool(std::string_view)>& blockedCheck() const { return blocked_; }

    const ShellModel& model() const { return model_; }
    ShellModel& model() { return model_; }
    const std::string& dataDir() const { return data_dir_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FormShow();
    void FormActivate();
    void FormClose();
    void FormDestroy();
    void placeTopRight();
    void createWebsiteControls();
    void closePopUp();
    // Ends the message loop, once however many paths ask for it.
    void terminateOnce();
    // Whether a new shell executable waits to be swapped in (the first line of RestartMemo is "yes").
    bool restartPending() const;
    // Starts the updater from the data directory and ends the shell, which the updater starts again.
    void RestartThroughUpdater();
    void createAdminPanel();
    // The count has run out.
    void timeUp();
    void syncTimerButton();
    void applyScrollSetting();
    // Rebuilds "Activities.html" from the enabled list and the activities folder.
    void rebuildActivities();
    // The painted background at the window's size, drawn once per size and then only copied: the
    // carousel repaints small strips of it many times a second.
    const QPixmap& background();
    std::string path(const char* relative) const { return data_dir_ + relative; }

    ShellServices services_;
    std::string data_dir_;
    Settings pending_settings_;  // handed over to the model at its step of FormCreate
    ShellModel model_;
    std::unique_ptr<Sounds> sounds_;
    ApplicationFilter* filter_ = nullptr;
    bool created_ = false;
    bool password_checked_ = false;  // the first-run check has been started
    bool closing_ = false;           // the close sequence has run: nothing more is written
    bool terminating_ = false;       // the end of the message loop has been asked for

    // Controls.
    QLabel* Image2 = nullptr;  // logo
    QLabel* Gears = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* SpTBXTabSheet1 = nullptr;  // "World Wide Web"
    QWidget* SpTBXTabSheet3 = nullptr;  // "Software"
    QWidget* SpTBXTabSheet2 = nullptr;  // "Activities"
    BrowserPane* browser_ = nullptr;    // the "World Wide Web" tab's browser and tool bar
    QWebEngineView* ActivitiesWebBrowser = nullptr;
    CarouselView* carousel_ = nullptr;               // the creeping strip of site thumbnails
    LinkPanelView* link_panel_ = nullptr;            // the large link panel
    QPlainTextEdit* ErrorMessageMemo = nullptr;      // error codes of the builders and the panel
    THighlightImage* HomeImage = nullptr;            // in the carousel's place on "Activities"
    THighlightImage* VirtualDesktopImage = nullptr;  // in the carousel's place on "Software"
    THighlightImage* QuestionmarkImage = nullptr;    // bottom left corner
    AdminPanel* TestPanel = nullptr;                 // the administration panel
    TimerControls* timer_ = nullptr;                 // the countdown label and its timers
    VolumeControlView* volume_ = nullptr;            // the volume slider
    std::unique_ptr<DesktopPolicy> policy_;          // the desktop's own policies while locked
    QTimer* DelayLockdouwnW7 = nullptr;              // the policy lock's follow-up
    QTimer* CheckPWTimer = nullptr;
    // The windows the main window works with, created by createForms().
    std::unique_ptr<TPasswordCheck> PasswordCheck;
    std::unique_ptr<TVirtualDesktop> VirtualDesktop;
    std::unique_ptr<TAboutBox> AboutBox;
    std::unique_ptr<TTimesUp> TimesUp;
    std::unique_ptr<TSetPWForm> SetPWForm;
    QWidget* Panel1 = nullptr;  // the Software tab's launcher panel
    std::unique_ptr<LauncherButtons> launcher_;
    // Set by a launch to the shortcut target the virtual desktop starts; empty otherwise.
    std::string pending_shortcut_target_;
    TPopUpForm* popup_ = nullptr;

public:
    BrowserPane* browserPane() const { return browser_; }
    CarouselView* carousel() const { return carousel_; }
    LinkPanelView* linkPanel() const { return link_panel_; }
    QPlainTextEdit* errorLog() const { return ErrorMessageMemo; }
    QLabel* homeImage() const;
    QLabel* virtualDesktopImage() const;
    QLabel* questionmarkImage() const;
    QLabel* gears() const { return Gears; }
    AdminPanel* adminPanel() const { return TestPanel; }
    TimerControls* timerControls() const { return timer_; }
    VolumeControlView* volumeControl() const { return volume_; }
    QTimer* policyFollowUpTimer() const { return DelayLockdouwnW7; }
    TPasswordCheck* passwordCheck() const { return PasswordCheck.get(); }
    TVirtualDesktop* virtualDesktop() const { return VirtualDesktop.get(); }
    TAboutBox* aboutBox() const { return AboutBox.get(); }
    TTimesUp* timesUp() const { return TimesUp.get(); }
    TSetPWForm* setPasswordForm() const { return SetPWForm.get(); }
    QTimer* checkPasswordTimer() const { return CheckPWTimer; }
    QTabWidget* pageControl() const { return PageControl1; }
    QWidget* launcherPanel() const { return Panel1; }
    const std::string& pendingShortcutTarget() const { return pending_shortcut_target_; }
    QWebEngineView* activitiesBrowser() const { return ActivitiesWebBrowser; }

private:
    QPixmap background_;  // the painted background at the window's size
    bool popups_allowed_ = true;
    // Whether the block list refuses an address; every browser of the shell asks it.
    std::function<bool(std::string_view)> blocked_;
};

}  // namespace tn
