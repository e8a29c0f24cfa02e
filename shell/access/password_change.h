#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "core/settings.h"

namespace tn {

// The two ways the parent password reaches line 0 of the settings file: the set-password form shown
// at first run, and the password box on the administration panel's General tab. Passwords are the
// bytes the edits hold (UTF-8); line 0 holds them scrambled (access/scramble.h).

// What a press on the General tab's "Save" does with its three edits.
struct PasswordChange {
    std::string message;               // the information box to show
    bool clear_current = false;        // empty Edit1 ("Enter Current Password:")
    bool clear_new = false;            // empty Edit2 and Edit3 (the new password and its confirmation)
    std::optional<std::string> line0;  // the new scrambled line 0; set only when the password changes
};

// Checks, in this order:
//  - the current password must be the stored one ("Incorrect Current Password", Edit1 emptied); with
//    no password stored only an empty entry is right;
//  - the two new texts must be equal ("New passwords do not match", Edit2 and Edit3 emptied);
//  - the new password must survive a write and read of the settings file (the refusal, Edit2 and
//    Edit3 emptied);
// then line 0 becomes the scrambled new password, all three edits are emptied and the message is
// "Password Changed". Two empty new fields are a valid change: they remove the password.
PasswordChange checkPasswordChange(std::string_view stored_line0, std::string_view current,
                                   std::string_view new_password, std::string_view confirm);

// The whole "Save": checks as above and, when the password changes, sets line 0 of settings and
// writes the settings file through writeSettings. If the write fails the password has not changed:
// line 0 gets its old value back, the message says so and names the file, and the edits keep their
// text so that the parent can try again. line0 of the result is set only when the file was written.
PasswordChange changePassword(Settings& settings, std::string_view current, std::string_view new_password,
                              std::string_view confirm,
                              const std::function<std::error_code()>& writeSettings);

// What OK on the set-password form does with its two edits. Every outcome of the check empties both.
struct NewPassword {
    std::string message;               // the information box to show
    std::optional<std::string> line0;  // the scrambled password; set when it is accepted
};

// Checks, in this order: the texts must be equal ("Passwords do not match"), not empty ("You must
// enter a password to continue.") and storable (the refusal); an accepted password comes with the
// message "Password Saved", to be shown once the settings file has been written.
NewPassword checkNewPassword(std::string_view password, std::string_view confirm);

// The message for a settings file that could not be written while saving a password. It names the
// file, since the parent has to fix the folder before the password can be kept.
std::string passwordNotSavedMessage(const std::error_code& error);

}  // namespace tn
