// The password prompt and the set-password form, driven through their controls.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "access/password_check.h"
#include "access/scramble.h"
#include "access/set_password_form.h"
#include "core/sounds.h"
#include "platform/doubles/recording.h"
#include "support/qt_support.h"

// Readable failure messages for QString values.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tn {
namespace {

using test::ScriptedDialogs;

Settings emptySettings() {
    Settings settings;
    for (std::size_t i = 0; i < setting::kRequiredLines; ++i)
        settings.lines().append("");
    return settings;
}

class FormsTest : public ::testing::Test {
protected:
    FormsTest() { test::qtApp(); }

    void storePassword(const std::string& plain) { settings.set(setting::kPassword, ScrambleText(plain)); }
    std::vector<QString> messages() const { return dialogs.shown; }
    std::size_t alerts() const { return log->starting("play alert.wav").size(); }

    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    RecordingSoundSystem sound_system{log};
    Sounds sounds{sound_system, "/data/"};
    ScriptedDialogs dialogs;
    Settings settings = emptySettings();
    bool caps_lock = false;
};

class PromptTest : public FormsTest {
protected:
    PromptTest() {
        prompt = std::make_unique<TPasswordCheck>(
            settings, dialogs, [this] { sounds.play(Sounds::Alert); }, [this] { return caps_lock; });
        prompt->setReleaseHandler([this](bool stored) {
            released.push_back(stored);
            entered_during_release = prompt->enteredPassword();
            visible_during_release = prompt->isVisible();
        });
        prompt->setCancelHandler([this] { ++cancels; });
    }

    void type(const QString& text) {
        prompt->Edit1->clear();
        QTest::keyClicks(prompt->Edit1, text);
    }

    std::unique_ptr<TPasswordCheck> prompt;
    std::vector<bool> released;
    std::string entered_during_release;
    bool visible_during_release = false;
    int cancels = 0;
};

TEST_F(PromptTest, OkReleasesOnlyForTheRightEntry) {
    struct Case {
        const char* what;
        std::optional<std::string> stored;
        QString typed;
        std::optional<bool> release;  // the handler's argument, when it runs
        bool complains;               // alert sound and "Incorrect Password!"
        QString edit_after;           // Edit1 while the prompt stays open
    };
    const std::vector<Case> cases = {
        {"right password", "Secret", "Secret", true, false, ""},
        {"wrong case keeps the masked text", "Secret", "secret", std::nullopt, true, "secret"},
        {"nothing typed with a password stored: nothing at all", "Secret", "", std::nullopt, false, ""},
        {"something typed with none stored empties the edit", std::nullopt, "x", std::nullopt, true, ""},
        {"nothing typed with none stored lets the parent in", std::nullopt, "", false, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        settings.set(setting::kPassword, c.stored ? ScrambleText(*c.stored) : std::string());
        released.clear();
        dialogs.shown.clear();
        log->calls.clear();

        prompt->openNonModal();
        ASSERT_TRUE(prompt->isVisible());
        type(c.typed);
        QTest::mouseClick(prompt->Button1, Qt::LeftButton);

        EXPECT_EQ(released.size(), c.release ? 1u : 0u);
        EXPECT_EQ(alerts(), c.complains ? 1u : 0u);
        EXPECT_EQ(messages(),
                  c.complains ? std::vector<QString>{"Incorrect Password!"} : std::vector<QString>{});
        EXPECT_TRUE(prompt->enteredPassword().empty());
        if (c.release) {
            EXPECT_EQ(released[0], *c.release);
            // The release runs while the prompt is still up and knows what was typed.
            EXPECT_TRUE(visible_during_release);
            EXPECT_EQ(entered_during_release, c.typed.toStdString());
            EXPECT_FALSE(prompt->isVisible());
            EXPECT_TRUE(prompt->Edit1->text().isEmpty());
        } else {
            EXPECT_TRUE(prompt->isVisible());
            EXPECT_EQ(prompt->Edit1->text(), c.edit_after);
            prompt->hide();
        }
    }
    EXPECT_EQ(cancels, 0);
}

TEST_F(PromptTest, EnterInTheEditActsAsOkOnce) {
    storePassword("Secret");
    prompt->openNonModal();
    type("wrong");
    QTest::keyClick(prompt->Edit1, Qt::Key_Return);
    EXPECT_EQ(messages(), std::vector<QString>{"Incorrect Password!"});
    EXPECT_EQ(alerts(), 1u);

    type("Secret");
    QTest::keyClick(prompt->Edit1, Qt::Key_Enter);
    EXPECT_EQ(released, std::vector<bool>{true});
    EXPECT_FALSE(prompt->isVisible());
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(PromptTest, CancelEscapeAndCloseRequestsReleaseNothing) {
    storePassword("Secret");
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"Cancel", [this] { QTest::mouseClick(prompt->Button2, Qt::LeftButton); }},
        {"Escape", [this] { QTest::keyClick(prompt->Edit1, Qt::Key_Escape); }},
        {"close request", [this] { prompt->close(); }},
    };
    int expected_cancels = 0;
    for (const auto& [what, cancel] : ways) {
        SCOPED_TRACE(what);
        prompt->openNonModal();
        type("Secret");
        cancel();
        EXPECT_EQ(cancels, ++expected_cancels);
        EXPECT_FALSE(prompt->isVisible());
        EXPECT_TRUE(prompt->Edit1->text().isEmpty());
        EXPECT_TRUE(prompt->enteredPassword().empty());
    }
    EXPECT_TRUE(released.empty());
    EXPECT_TRUE(messages().empty());
}

TEST_F(PromptTest, ModalOpeningReturnsAfterTheReleaseWithTimersRunning) {
    storePassword("Secret");
    int ticks = 0;
    QTimer shell_timer;
    QObject::connect(&shell_timer, &QTimer::timeout, [&] { ++ticks; });
    shell_timer.start(5);
    QTimer::singleShot(100, prompt.get(), [this] {
        type("Secret");
        QTest::mouseClick(prompt->Button1, Qt::LeftButton);
    });

    prompt->openModal();

    EXPECT_EQ(released, std::vector<bool>{true});
    EXPECT_FALSE(prompt->isVisible());
    EXPECT_TRUE(prompt->enteredPassword().empty());
    EXPECT_GT(ticks, 0);
}

TEST_F(FormsTest, CapsLockWarningFollowsTheKeyboardOnShowEditAndClick) {
    TPasswordCheck prompt(settings, dialogs, {}, [this] { return caps_lock; });
    TSetPWForm set_form(
        settings, dialogs, [] { return std::error_code(); }, [this] { return caps_lock; });
    struct Target {
        QWidget* form;
        QLineEdit* edit;
        QLabel* warning;
    };
    const std::vector<Target> targets = {
        {&prompt, prompt.Edit1, prompt.Label2},
        {&set_form, set_form.PWEdit, set_form.Label4},
        {&set_form, set_form.PWConfirmEdit, set_form.Label4},
    };
    for (const auto& t : targets) {
        SCOPED_TRACE(t.edit->objectName().toStdString());
        EXPECT_EQ(t.warning->text(), "CAUTION: CAPS-LOCK is on!");
        caps_lock = true;
        t.form->show();
        EXPECT_TRUE(t.warning->isVisible());

        caps_lock = false;  // toggled while the form is open: nothing changes until the edit is used
        EXPECT_TRUE(t.warning->isVisible());
        QTest::keyClicks(t.edit, "a");
        EXPECT_FALSE(t.warning->isVisible());

        caps_lock = true;
        QTest::mouseClick(t.edit, Qt::LeftButton);
        EXPECT_TRUE(t.warning->isVisible());
        caps_lock = false;
        t.edit->clear();
        EXPECT_FALSE(t.warning->isVisible());
        t.form->hide();
    }
}

class SetPasswordTest : public FormsTest {
protected:
    SetPasswordTest() {
        form = std::make_unique<TSetPWForm>(
            settings, dialogs,
            [this] {
                written.emplace_back(settings.line(setting::kPassword));
                return write_error;
            },
            [] { return false; });
        form->setSavedHandler([this] {
            ++saved;
            messages_before_saved = dialogs.shown.size();
        });
    }

    void fill(const QString& password, const QString& confirm) {
        form->PWEdit->setText(password);
        form->PWConfirmEdit->setText(confirm);
    }

    std::unique_ptr<TSetPWForm> form;
    std::vector<std::string> written;  // line 0 as each settings write saw it
    std::error_code write_error;
    int saved = 0;
    std::size_t messages_before_saved = 0;
};

TEST_F(SetPasswordTest, RefusesMismatchedAndEmptyPasswords) {
    struct Case {
        QString password, confirm, message;
    };
    const std::vector<Case> cases = {
        {"", "", "You must enter a password to continue."},
        {"abc", "abd", "Passwords do not match"},
        {"", "abc", "Passwords do not match"},
    };
    form->show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        dialogs.shown.clear();
        fill(c.password, c.confirm);
        QTest::mouseClick(form->SpTBXButton1, Qt::LeftButton);
        EXPECT_EQ(messages(), std::vector<QString>{c.message});
        EXPECT_TRUE(form->PWEdit->text().isEmpty());
        EXPECT_TRUE(form->PWConfirmEdit->text().isEmpty());
        EXPECT_TRUE(form->isVisible());
    }
    EXPECT_TRUE(written.empty());
    EXPECT_TRUE(settings.line(setting::kPassword).empty());
    EXPECT_EQ(saved, 0);
}

TEST_F(SetPasswordTest, CannotBeLeftWithoutSavingAPassword) {
    form->show();
    fill("abc", "abc");
    QTest::keyClick(form->PWEdit, Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(written.empty());
    EXPECT_EQ(saved, 0);
}

TEST_F(SetPasswordTest, SavesScrambledThenTellsThenHandsOver) {
    QTimer::singleShot(50, form.get(), [this] {
        fill("Secret", "Secret");
        QTest::keyClick(form->PWConfirmEdit, Qt::Key_Return);  // the default button
    });

    form->openModal();

    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0], ScrambleText("Secret"));
    EXPECT_EQ(settings.line(setting::kPassword), written[0]);
    EXPECT_EQ(messages(), std::vector<QString>{"Password Saved"});
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(messages_before_saved, 1u);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(form->PWEdit->text().isEmpty());
    EXPECT_TRUE(form->PWConfirmEdit->text().isEmpty());
}

TEST_F(SetPasswordTest, AFailedWriteKeepsTheFormAndNoPassword) {
    write_error = std::make_error_code(std::errc::permission_denied);
    form->show();
    fill("Secret", "Secret");
    QTest::mouseClick(form->SpTBXButton1, Qt::LeftButton);

    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0], ScrambleText("Secret"));  // the write was tried with the new line 0
    EXPECT_TRUE(settings.line(setting::kPassword).empty());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].contains("files/config.ini")) << messages()[0].toStdString();
    EXPECT_NE(messages()[0], "Password Saved");
    EXPECT_EQ(saved, 0);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->PWEdit->text(), "Secret");

    // Once the folder can be written, OK again is enough.
    write_error = {};
    QTest::mouseClick(form->SpTBXButton1, Qt::LeftButton);
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(settings.line(setting::kPassword), ScrambleText("Secret"));
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace tn
