// The main window's parental side: the way into the administration panel and back, the settings
// save, the play timer's commands and the first-run password check.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QWebEngineView>

#include "access/admin_panel.h"
#include "access/first_run.h"
#include "access/password_change.h"
#include "access/password_check.h"
#include "access/scramble.h"
#include "access/set_password_form.h"
#include "access/settings_save.h"
#include "core/about_box.h"
#include "core/dialogs.h"
#include "core/list_file.h"
#include "core/main_form.h"
#include "lockdown/desktop_policy.h"
#include "lockdown/lockdown_sequences.h"
#include "lockdown/volume_control.h"
#include "programs/virtual_desktop.h"
#include "timer/timer_controls.h"
#include "timer/times_up.h"
#include "websites/browser_pane.h"
#include "websites/carousel_view.h"
#include "websites/link_panel_view.h"

namespace tn {

void TForm1::createAdminPanel() {
    AdminPanel::Hooks hooks;
    hooks.save = [this] { (void)SaveSettingsButtonClick(); };
    hooks.return_to_locked = [this] { Button12Click(); };
    hooks.exit = [this] { ExitButtonClick(); };
    hooks.minimize = [this] { MinimizeButtonClick(); };
    hooks.timer_button = [this] { TimerButtonClick(); };
    hooks.change_password = [this] { Button2Click(); };
    hooks.help = [this] { SpTBXButton8Click(); };
    hooks.about = [this] { QuestionmarkImageClick(); };
    TestPanel = new AdminPanel(this, std::move(hooks),
                               {model_.AppNameListBox, model_.AppPathListBox, services_.shell_links},
                               services_.dialogs);
}

void TForm1::createForms() {
    if (PasswordCheck) return;
    PasswordCheck = std::make_unique<TPasswordCheck>(
        model_.SettingsList, services_.dialogs,
        [this] {
            if (sounds_) sounds_->play(Sounds::Alert);
        },
        services_.caps_lock_on);
    PasswordCheck->setReleaseHandler([this](bool stored) { releaseLocks(stored); });
    PasswordCheck->setCancelHandler([this] {
        if (!timer_->timer().timeUp()) PageControl1->show();
    });

    VirtualDesktop = std::make_unique<TVirtualDesktop>(
        TVirtualDesktop::Services{services_.windows, services_.shell_open, services_.shell_links,
                                  services_.dialogs, services_.display_mode},
        TVirtualDesktop::Actions{[this] { showMinimized(); },
                                 [this] {
                                     showFullScreen();
                                     raise();
                                     activateWindow();
                                 },
                                 [this] {
                                     if (sounds_) sounds_->play(Sounds::Slip);
                                 }},
        model_.AppNameListBox, model_.AppPathListBox, pending_shortcut_target_);

    AboutBox = std::make_unique<TAboutBox>(data_dir_);

    TimesUp = std::make_unique<TTimesUp>([this] { PasswordCheck->openNonModal(); });

    SetPWForm = std::make_unique<TSetPWForm>(
        model_.SettingsList, services_.dialogs,
        [this] { return saveListFile(path("files/config.ini"), model_.SettingsList.lines()); },
        services_.caps_lock_on);
    SetPWForm->setSavedHandler([this] {
        showFullScreen();
        raise();
    });
}

void TForm1::QuestionmarkImageClick() {
    if (AboutBox) AboutBox->openModal();
}

void TForm1::SpTBXButton8Click() {
    // Without a viewer or the document the request fails, and there is nothing more to do.
    (void)services_.shell_open.open({}, path("Tumblenest_How_To.pdf"), {}, {});
}

void TForm1::GearsClick() {
    if (!PasswordCheck) return;
    link_panel_->hide();
    browser_->SpTBXButton6Click();  // stop loading
    PageControl1->hide();
    PasswordCheck->openModal();
    // Every way the prompt closes leaves the entered password empty, so this holds exactly when no
    // password is stored: the panel then opens even after Cancel, and the task bar comes back.
    if (passwordMatches(model_.SettingsList.line(setting::kPassword), PasswordCheck->enteredPassword())) {
        carousel_->setScrollTimerEnabled(false);
        TestPanel->show();
        TestPanel->raise();
        services_.desktop.showTaskBar();
        services_.keyboard_hook.FreeHook();
        volume_->setShown(true);
    }
}

void TForm1::releaseLocks(bool password_stored) {
    ILockdown& lockdown = services_.lockdown;
    carousel_->setScrollTimerEnabled(false);
    if (TimesUp && TimesUp->isVisible()) TimesUp->dismiss();
    TestPanel->show();
    TestPanel->raise();
    timer_->timer().pause();
    timer_->sync();
    itemUnlock(lockdown);
    policy_->UnlockWindows7Click();
    // A sidebar the policy lock ended comes back before the keys are released when a password is
    // stored, and after them when none is.
    if (password_stored) policy_->restartSidebar("open");
    keyUnlock(lockdown);
    setCtrlAltDelDisabled(lockdown, false);
    if (!password_stored) policy_->restartSidebar({});
    if (password_stored) link_panel_->hide();
    if (timer_->timer().timeUp()) timer_->TimeLabel->hide();
    WinkeybuttonClick();
}

void TForm1::WinkeybuttonClick() {
    services_.keyboard_hook.FreeHook();
}

bool TForm1::SaveSettingsButtonClick() {
    const AdminChecks checks = TestPanel->checks();
    const SaveResult result = saveSettings(model_, checks, services_.lockdown, data_dir_,
                                           [this] { carousel_->reloadAfterSettingsSave(model_.sites); });
    popups_allowed_ = !checks.block_popups;
    if (!result.ok) {
        services_.dialogs.information(this, QString::fromStdString(result.message()));
        return false;
    }
    rebuildActivities();
    ActivitiesWebBrowser->load(QUrl::fromLocalFile(QString::fromStdString(activitiesPagePath(data_dir_))));
    RebuildLauncherButtons();
    return true;
}

void TForm1::Button12Click() {
    // The child's screen is locked again even when the save failed: the parent has read which file
    // could not be written, and the settings stay in memory for the next save.
    (void)SaveSettingsButtonClick();
    ILockdown& lockdown = services_.lockdown;
    if (sounds_) sounds_->play(Sounds::Decent);
    TestPanel->hide();
    PageControl1->show();
    timer_->timer().resume();
    timer_->sync();
    itemLock(lockdown);
    keyLock(lockdown);
    policy_->LockDownWindows7Click();
    setGeometry(QGuiApplication::primaryScreen()->geometry());
    setCtrlAltDelDisabled(lockdown, model_.SettingsList.yes(setting::kDisableCtrlAltDel));
    const bool volume_shown = model_.SettingsList.yes(setting::kShowVolumeControl);
    volume_->setShown(volume_shown);
    TestPanel->VolumeControlEnableCheckBox->setChecked(volume_shown);
    applyScrollSetting();
    itemLock(lockdown);
}

void TForm1::applyScrollSetting() {
    const bool on = model_.SettingsList.yes(setting::kLinkScrolling);
    carousel_->setScrollTimerEnabled(on);
    TestPanel->LinkScrollEnableCheckBox->setChecked(on);
}

void TForm1::TimerButtonClick() {
    const int row = TestPanel->TimeListBox->currentRow();
    const SetClearResult result =
        timer_->timer().setOrClear(row >= 0 ? std::optional<int>(row) : std::nullopt);
    if (result.timer_length) model_.SettingsList.set(setting::kTimerLength, *result.timer_length);
    timer_->sync();
    if (result.message) services_.dialogs.information(this, QString::fromStdString(*result.message));
}

void TForm1::syncTimerButton() {
    TestPanel->TimerButton->setText(QString::fromLatin1(timer_->timer().buttonCaption()));
}

void TForm1::timeUp() {
    if (VirtualDesktop) VirtualDesktop->ExitButtonClick();
    showFullScreen();
    carousel_->setScrollTimerEnabled(false);
    PageControl1->hide();
    if (sounds_) sounds_->play(Sounds::TimesUp);
    syncTimerButton();
    if (TimesUp && !(PasswordCheck && PasswordCheck->isVisible())) TimesUp->showTimesUp();
}

void TForm1::Button2Click() {
    const PasswordChange change = changePassword(
        model_.SettingsList, TestPanel->Edit1->text().toStdString(), TestPanel->Edit2->text().toStdString(),
        TestPanel->Edit3->text().toStdString(),
        [this] { return saveListFile(path("files/config.ini"), model_.SettingsList.lines()); });
    if (change.clear_current) TestPanel->Edit1->clear();
    if (change.clear_new) {
        TestPanel->Edit2->clear();
        TestPanel->Edit3->clear();
    }
    services_.dialogs.information(this, QString::fromStdString(change.message));
}

void TForm1::CheckPWTimerTimer() {
    CheckPWTimer->stop();
    if (!SetPWForm) return;
    const FirstRunResult result = runFirstRunPasswordCheck(
        services_.registry, model_.SettingsList, [this] { SetPWForm->openModal(); },
        [this] {
            // The shell may have been closed from outside while the form was open; the close
            // sequence has written the settings already.
            if (closing_) return std::error_code();
            return saveListFile(path("files/config.ini"), model_.SettingsList.lines());
        });
    if (result.write_error) {
        services_.dialogs.information(
            this, QStringLiteral("The settings file \"files/config.ini\" could not be written: %1.")
                      .arg(QString::fromStdString(result.write_error.message())));
    }
}

}  // namespace tn
