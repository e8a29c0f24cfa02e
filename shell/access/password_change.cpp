#include "access/password_change.h"

#include "access/scramble.h"

namespace tn {

PasswordChange checkPasswordChange(std::string_view stored_line0, std::string_view current,
                                   std::string_view new_password, std::string_view confirm) {
    PasswordChange out;
    if (!passwordMatches(stored_line0, current)) {
        out.message = "Incorrect Current Password";
        out.clear_current = true;
        return out;
    }
    if (new_password != confirm) {
        out.message = "New passwords do not match";
        out.clear_new = true;
        return out;
    }
    if (auto refusal = passwordRefusal(confirm)) {
        out.message = std::move(*refusal);
        out.clear_new = true;
        return out;
    }
    out.message = "Password Changed";
    out.clear_current = true;
    out.clear_new = true;
    out.line0 = ScrambleText(confirm);
    return out;
}

PasswordChange changePassword(Settings& settings, std::string_view current, std::string_view new_password,
                              std::string_view confirm,
                              const std::function<std::error_code()>& writeSettings) {
    PasswordChange out =
        checkPasswordChange(settings.line(setting::kPassword), current, new_password, confirm);
    if (!out.line0) return out;

    const std::string previous(settings.line(setting::kPassword));
    settings.set(setting::kPassword, *out.line0);
    if (const std::error_code error = writeSettings()) {
        // Memory must not hold a password the file does not: a later save would store it unseen,
        // while the parent was told it was not changed.
        settings.set(setting::kPassword, previous);
        return PasswordChange{passwordNotSavedMessage(error), false, false, std::nullopt};
    }
    return out;
}

NewPassword checkNewPassword(std::string_view password, std::string_view confirm) {
    if (password != confirm) return {"Passwords do not match", std::nullopt};
    if (confirm.empty()) return {"You must enter a password to continue.", std::nullopt};
    if (auto refusal = passwordRefusal(confirm)) return {std::move(*refusal), std::nullopt};
    return {"Password Saved", ScrambleText(confirm)};
}

std::string passwordNotSavedMessage(const std::error_code& error) {
    std::string reason = error ? error.message() : std::string("unknown error");
    return "The password could not be saved: the settings file \"files/config.ini\" could not be written (" +
           reason +
           "), so the password has not been saved. Please make sure the folder can be written to and try "
           "again.";
}

}  // namespace tn
