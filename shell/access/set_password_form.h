#pragma once

#include <QDialog>
#include <functional>
#include <system_error>

#include "core/settings.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tn {

class IDialogs;

// The form that asks for a parent password when none exists anywhere. A black borderless box that
// stays on top, centred on the screen. It has no way out but saving a password: Escape and close
// requests are refused.
//
// OK: the two edits must hold the same, non-empty, storable text; otherwise a message and both edits
// emptied. An accepted password is scrambled into line 0 of the settings and the settings file is
// written. Only when the file is written are the edits emptied, "Password Saved" shown, the saved
// handler run and the form closed; if the write fails, line 0 gets its old value back, a message
// names the file, and the form stays open with the edits as typed so that OK can simply be pressed
// again.
class TSetPWForm final : public QDialog {
    Q_OBJECT
public:
    // settings: the main window's settings list, whose line 0 receives the password. saveSettings
    // writes the settings file from it and returns the error, or nothing when the file was written.
    // capsLockOn tells whether Caps Lock is toggled on.
    TSetPWForm(Settings& settings, IDialogs& dialogs, std::function<std::error_code()> saveSettings,
               std::function<bool()> capsLockOn, QWidget* parent = nullptr);

    // Runs once a password is saved, before the form closes (the main window shows itself).
    void setSavedHandler(std::function<void()> saved) { saved_ = std::move(saved); }

    // Shows the form centred and returns once a password is saved.
    void openModal();

    void SpTBXButton1Click();  // OK

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* PWEdit = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* PWConfirmEdit = nullptr;
    QLabel* Label4 = nullptr;  // the Caps Lock warning
    QPushButton* SpTBXButton1 = nullptr;

public Q_SLOTS:
    // Escape and close requests: refused.
    void reject() override {}

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateCapsLockWarning();

    Settings& settings_;
    IDialogs& dialogs_;
    std::function<std::error_code()> save_settings_;
    std::function<bool()> caps_lock_on_;
    std::function<void()> saved_;
};

}  // namespace tn
