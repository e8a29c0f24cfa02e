// The way into the administration panel and back, with recording doubles: the lock sequences, the
// settings save, the play timer across the panel and the first-run password check.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "access/admin_panel.h"
#include "access/password_check.h"
#include "access/scramble.h"
#include "access/set_password_form.h"
#include "core/list_file.h"
#include "core/main_form.h"
#include "programs/virtual_desktop.h"
#include "support/qt_support.h"
#include "support/shell_services.h"
#include "support/temp_dir.h"
#include "timer/timer_controls.h"
#include "timer/times_up.h"
#include "websites/link_panel_view.h"

namespace tn {
namespace {

using Calls = std::vector<std::string>;

Calls items(int state) {
    Calls out;
    for (int id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 14})
        out.push_back("wlDisableItem " + std::to_string(id) + " " + std::to_string(state));
    return out;
}
Calls keys(int state) {
    const std::string s = " " + std::to_string(state);
    return {"wlDisableKey 0 27 3" + s, "wlDisableKey 0 9 1" + s, "wlDisableKey 0 115 3" + s,
            "wlDisableKey 0 0 8" + s};
}
Calls concat(std::initializer_list<Calls> parts) {
    Calls out;
    for (const Calls& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

class ParentalModeTest : public ::testing::Test {
protected:
    ParentalModeTest() {
        test::qtApp();
        std::filesystem::create_directories(dir.file("Activities"));
        dir.write("files/activities.ini", "");
        for (const char* f : {"tick", "timeup", "alert", "decent", "bass", "exit", "slip"})
            present.insert(dir.path() + "/files/" + f + ".wav");
        doubles.sounds.present = present;
    }

    // Starts the shell with the given password (plain; empty for none) and line 3 / 21 / 22.
    std::unique_ptr<TForm1> start(const std::string& password, const std::string& line3 = "no",
                                  const std::string& line21 = "", const std::string& line22 = "") {
        std::string config;
        for (std::size_t i = 0; i < 25; ++i) {
            std::string v = i == 5 ? "5" : "";
            if (i == 0) v = ScrambleText(password);
            if (i == 3) v = line3;
            if (i == 21) v = line21;
            if (i == 22) v = line22;
            config += v + "\r\n";
        }
        dir.write("files/config.ini", config);
        Settings settings;
        EXPECT_FALSE(loadSettingsFile(dir.file("files/config.ini"), "config.ini", settings));
        auto form = std::make_unique<TForm1>(doubles.services([this] { ++terminated; }), dir.path() + "/",
                                             std::move(settings));
        form->FormCreate();
        form->createForms();
        doubles.log->calls.clear();
        return form;
    }

    // Clicks the gear and answers the prompt: typed text then OK, or Cancel when cancel is set.
    void gear(TForm1& form, const QString& typed, bool cancel = false) {
        TPasswordCheck* prompt = form.passwordCheck();
        test::whenShown(prompt, [prompt, typed, cancel] {
            prompt->Edit1->setText(typed);
            cancel ? prompt->Button2Click() : prompt->Button1Click();
        });
        form.GearsClick();
    }

    test::TempDir dir;
    test::RecordingServices doubles;
    std::set<std::string> present;
    int terminated = 0;
};

TEST_F(ParentalModeTest, TheRightPasswordLiftsEveryLockAndOpensThePanel) {
    auto form = start("secret", "yes");
    form->linkPanel()->show();
    gear(*form, QStringLiteral("secret"));
    EXPECT_EQ(doubles.log->calls, concat({items(0), keys(0), {"wlDisableKey 0 46 3 0", "FreeHook"}}));
    EXPECT_TRUE(form->adminPanel()->isVisibleTo(form.get()));
    EXPECT_FALSE(form->linkPanel()->isVisibleTo(form.get()));
    EXPECT_TRUE(form->passwordCheck()->enteredPassword().empty());
    EXPECT_FALSE(form->passwordCheck()->isVisible());
}

TEST_F(ParentalModeTest, AWrongPasswordReleasesNothing) {
    auto form = start("secret");
    TPasswordCheck* prompt = form->passwordCheck();
    test::whenShown(prompt, [prompt] {
        for (const char* attempt : {"Secret", "secret "}) {
            prompt->Edit1->setText(QString::fromLatin1(attempt));
            prompt->Button1Click();
        }
        prompt->Button2Click();
    });
    form->GearsClick();
    EXPECT_EQ(doubles.log->calls, (Calls{"play alert.wav", "play alert.wav"}));
    EXPECT_EQ(doubles.dialogs.shown, (std::vector<QString>(2, QStringLiteral("Incorrect Password!"))));
    EXPECT_FALSE(form->adminPanel()->isVisibleTo(form.get()));
    EXPECT_TRUE(form->pageControl()->isVisibleTo(form.get()));  // Cancel brings the tabs back
}

TEST_F(ParentalModeTest, WithoutAStoredPasswordOkAndCancelBothOpenThePanel) {
    {
        auto form = start("");
        gear(*form, QString());
        // The prompt's release, then the gear's own steps for a shell without a password.
        EXPECT_EQ(
            doubles.log->calls,
            concat({items(0), keys(0), {"wlDisableKey 0 46 3 0", "FreeHook", "showTaskBar", "FreeHook"}}));
        EXPECT_TRUE(form->adminPanel()->isVisibleTo(form.get()));
    }
    {
        auto form = start("");
        gear(*form, QString(), true);
        // Cancelled: the locks stay, but the task bar and the panel are there.
        EXPECT_EQ(doubles.log->calls, (Calls{"showTaskBar", "FreeHook"}));
        EXPECT_TRUE(form->adminPanel()->isVisibleTo(form.get()));
    }
}

TEST_F(ParentalModeTest, SaveAndReturnToLockedMode) {
    auto form = start("secret", "yes");
    gear(*form, QStringLiteral("secret"));
    AdminPanel* panel = form->adminPanel();
    panel->CTLALTDELCheck->setChecked(false);
    doubles.log->calls.clear();
    ASSERT_TRUE(form->SaveSettingsButtonClick());
    EXPECT_TRUE(doubles.log->calls.empty());  // unticked: no call until the return
    EXPECT_EQ(TextList::fromText(dir.read("files/config.ini"))[3], "no");

    panel->CTLALTDELCheck->setChecked(true);
    ASSERT_TRUE(form->SaveSettingsButtonClick());
    EXPECT_EQ(doubles.log->calls, Calls{"wlDisableKey 0 46 3 1"});  // ticked: locked at once

    panel->CTLALTDELCheck->setChecked(false);
    doubles.log->calls.clear();
    form->Button12Click();
    // The desktop policy lock sits between the key lock and the Ctrl+Alt+Del step.
    const Calls policy = {
        "registry write HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer "
        "NoDesktop=1"};
    EXPECT_EQ(doubles.log->calls, concat({{"play decent.wav"},
                                          items(1),
                                          keys(1),
                                          policy,
                                          items(1),
                                          policy,
                                          {"wlDisableKey 0 46 3 0"},
                                          items(1)}));
    EXPECT_FALSE(panel->isVisibleTo(form.get()));
    EXPECT_TRUE(form->pageControl()->isVisibleTo(form.get()));
}

TEST_F(ParentalModeTest, AFailedSaveNamesTheFileAndKeepsThePanelState) {
    auto form = start("secret");
    std::filesystem::create_directories(dir.file("files/sites.ini"));  // cannot be replaced
    form->model().AppNameListBox.append("Calculator");
    EXPECT_FALSE(form->SaveSettingsButtonClick());
    ASSERT_EQ(doubles.dialogs.shown.size(), 1u);
    EXPECT_TRUE(
        doubles.dialogs.shown[0].contains(QStringLiteral("\"files/sites.ini\" could not be written")));
    EXPECT_FALSE(dir.exists("files/appnames.ini"));  // the save stopped at the failing file
}

TEST_F(ParentalModeTest, TheCountdownPausesInThePanelAndResumesOnReturn) {
    auto form = start("secret", "no", "yes", "0");  // 5 minutes, armed at start
    TimerControls* t = form->timerControls();
    EXPECT_TRUE(t->ParentTimer->isActive());
    t->ParentTimerTimer();
    t->ParentTimerTimer();
    EXPECT_EQ(t->TimeLabel->text(), QStringLiteral("00:04:59"));
    gear(*form, QStringLiteral("secret"));
    EXPECT_FALSE(t->ParentTimer->isActive());
    EXPECT_FALSE(t->TimeLabel->isVisibleTo(form.get()));
    const auto remaining = t->timer().remainingSeconds();
    form->Button12Click();
    EXPECT_TRUE(t->ParentTimer->isActive());
    EXPECT_EQ(t->timer().remainingSeconds(), remaining);
    t->ParentTimerTimer();
    EXPECT_EQ(t->TimeLabel->text(), QStringLiteral("00:04:58"));
}

TEST_F(ParentalModeTest, TimeUpHidesTheTabsAndShowsTheBoxUnlessThePromptIsOpen) {
    for (const bool prompt_open : {false, true}) {
        auto form = start("secret", "no", "yes", "0");
        TimerControls* t = form->timerControls();
        if (prompt_open) form->passwordCheck()->openNonModal();
        while (!t->timer().timeUp())
            t->ParentTimerTimer();
        EXPECT_EQ(t->TimeLabel->text(), QStringLiteral("00:00:00"));
        EXPECT_FALSE(form->pageControl()->isVisibleTo(form.get()));
        EXPECT_EQ(form->timesUp()->isVisible(), !prompt_open) << prompt_open;
        EXPECT_EQ(form->adminPanel()->TimerButton->text(), QStringLiteral("Set Timer"));
        EXPECT_EQ(doubles.log->starting("play timeup").size(), 1u);
        // Nothing counts on: no time below zero is ever shown.
        EXPECT_FALSE(t->ParentTimer->isActive());
        t->ParentTimerTimer();
        EXPECT_EQ(t->TimeLabel->text(), QStringLiteral("00:00:00"));
        if (prompt_open) form->passwordCheck()->Button2Click();
    }
}

TEST_F(ParentalModeTest, TimeUpClosesTheVirtualDesktopAndTheProgramsStartedFromIt) {
    auto form = start("secret", "no", "yes", "0");
    doubles.windows.windows = {{1001, "Old editor"}};  // ids apart from Qt's own windows
    form->VirtualDesktopImageClick();
    ASSERT_TRUE(form->virtualDesktop()->isVisible());
    doubles.windows.windows.push_back({1002, "Calculator"});
    doubles.log->calls.clear();
    TimerControls* t = form->timerControls();
    while (!t->timer().timeUp())
        t->ParentTimerTimer();
    EXPECT_EQ(doubles.log->starting("askToClose"), Calls{"askToClose 1002"});
    EXPECT_FALSE(form->virtualDesktop()->isVisible());
    EXPECT_TRUE(form->timesUp()->isVisible());
}

TEST_F(ParentalModeTest, SetAndClearFromTheTimerPage) {
    auto form = start("secret");
    AdminPanel* panel = form->adminPanel();
    form->TimerButtonClick();
    EXPECT_EQ(doubles.dialogs.shown, std::vector<QString>{QStringLiteral("No time selected")});
    panel->TimeListBox->setCurrentRow(23);  // "2 hrs"
    form->TimerButtonClick();
    EXPECT_EQ(panel->TimerButton->text(), QStringLiteral("Clear Timer"));
    EXPECT_EQ(form->model().SettingsList.line(setting::kTimerLength), "23");
    EXPECT_EQ(form->timerControls()->timer().remainingSeconds(), 7200);
    EXPECT_FALSE(form->timerControls()->ParentTimer->isActive());  // starts on the return
    form->TimerButtonClick();
    EXPECT_EQ(panel->TimerButton->text(), QStringLiteral("Set Timer"));
    EXPECT_FALSE(form->timerControls()->TimeLabel->isVisibleTo(form.get()));
}

TEST_F(ParentalModeTest, FirstRunAdoptsTheRegistryCopyOrAsksOnce) {
    {
        auto form = start("secret");
        doubles.registry.putString(IRegistry::Root::LocalMachine, "SOFTWARE\\TUMBLENEST", "pw",
                                   ScrambleText("other"));
        const std::string before = dir.read("files/config.ini");
        form->CheckPWTimerTimer();
        EXPECT_EQ(dir.read("files/config.ini"), before);  // line 0 set: nothing written
    }
    {
        auto form = start("");
        form->CheckPWTimerTimer();
        EXPECT_EQ(form->model().SettingsList.line(0), ScrambleText("other"));
        EXPECT_EQ(TextList::fromText(dir.read("files/config.ini"))[0], ScrambleText("other"));
        EXPECT_FALSE(form->setPasswordForm()->isVisible());
    }
    {
        doubles.registry.deleteValue(IRegistry::Root::LocalMachine, "SOFTWARE\\TUMBLENEST", "pw");
        auto form = start("");
        int shown = 0;
        TSetPWForm* set = form->setPasswordForm();
        test::whenShown(set, [set, &shown] {
            ++shown;
            set->PWEdit->setText(QStringLiteral("new one"));
            set->PWConfirmEdit->setText(QStringLiteral("new one"));
            set->SpTBXButton1Click();
        });
        form->CheckPWTimerTimer();
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(TextList::fromText(dir.read("files/config.ini"))[0], ScrambleText("new one"));
        EXPECT_EQ(doubles.dialogs.shown.back(), QStringLiteral("Password Saved"));
    }
}

}  // namespace
}  // namespace tn
