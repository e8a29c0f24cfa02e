#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "core/settings.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tn {

class IDialogs;

// The password prompt: the gate from the child's locked mode to the administration panel. A small
// black borderless box that stays on top, centred on the screen, created once and reused.
//
// OK compares what was typed with the password stored scrambled in line 0 of the settings:
//  - a password is stored and the entry matches it, or none is stored and nothing was typed: the
//    release handler runs (with whether a password is stored), then the prompt closes and empties;
//  - a wrong entry while a password is stored: the alert sound and "Incorrect Password!"; the masked
//    text stays for another try. An empty entry while a password is stored does nothing at all;
//  - anything typed while no password is stored: the alert and the message, and the edit is emptied.
// Cancel (also Escape and a close request from the window manager) empties the edit, runs the cancel
// handler and closes the prompt; nothing is released.
//
// The release itself (timers, locks, the administration panel) belongs to the main window. While it
// runs, enteredPassword() is what was typed; at every other moment the prompt is closed it is empty.
class TPasswordCheck final : public QDialog {
    Q_OBJECT
public:
    // settings: the main window's settings list, read at each OK. playAlert plays the alert sound.
    // capsLockOn tells whether Caps Lock is toggled on.
    TPasswordCheck(const Settings& settings, IDialogs& dialogs, std::function<void()> playAlert,
                   std::function<bool()> capsLockOn, QWidget* parent = nullptr);

    // Runs after a correct entry, before the prompt closes. password_stored is false when the prompt
    // let the parent in because no password exists.
    void setReleaseHandler(std::function<void(bool password_stored)> release) {
        release_ = std::move(release);
    }
    // Runs on Cancel, before the prompt closes.
    void setCancelHandler(std::function<void()> cancelled) { cancelled_ = std::move(cancelled); }

    // For the gear: shows the prompt centred and returns once it has closed. The main window's
    // timers keep running meanwhile; input to other windows is blocked. If the prompt is already
    // open (from the time-up box) it is only brought to the front, and this returns at once.
    void openModal();
    // For the time-up box's "Reset": shows the prompt centred and returns at once.
    void openNonModal();

    const std::string& enteredPassword() const { return entered_password_; }

    void Button1Click();  // OK
    void Button2Click();  // Cancel

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;  // the Caps Lock warning
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button1 = nullptr;

public Q_SLOTS:
    // Escape and close requests come here: they act as Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateCapsLockWarning();
    void centre();
    void release(bool password_stored);

    const Settings& settings_;
    IDialogs& dialogs_;
    std::function<void()> play_alert_;
    std::function<bool()> caps_lock_on_;
    std::function<void(bool)> release_;
    std::function<void()> cancelled_;
    std::string entered_password_;
};

}  // namespace tn
