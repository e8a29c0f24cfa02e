#pragma once

#include <QWidget>
#include <functional>

#include "access/settings_save.h"
#include "core/text_list.h"
#include "platform/system.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace tn {

class IDialogs;

// The administration panel `TestPanel`: a full-screen panel over the main window with a row of
// command buttons and the settings pages. It owns its controls and the Allowed Programs page's
// operations; every command that involves the rest of the shell goes to the main window through
// the hooks.
class AdminPanel final : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> save;              // "Save Settings"
        std::function<void()> return_to_locked;  // "Return to Tumblenest"
        std::function<void()> exit;              // "Exit Program"
        std::function<void()> minimize;          // "Minimize"
        std::function<void()> help;              // "Help"
        std::function<void()> about;             // the "About" item of the tab strip
        std::function<void()> timer_button;      // "Set Timer" / "Clear Timer"
        std::function<void()> change_password;   // the General page's "Save" (password change)
    };
    struct Programs {
        TextList& names;  // AppNameListBox's entries
        TextList& paths;  // AppPathListBox's entries
        IShellLinks& links;
    };
    AdminPanel(QWidget* parent, Hooks hooks, Programs programs, IDialogs& dialogs);

    // Places the panel over the whole screen, the button row along its top and the tab control
    // under it (after the application's style is set, which decides the captions' widths).
    void layoutFor(int screen_width, int screen_height);
    // The check boxes, as the settings save writes them.
    AdminChecks checks() const;
    // Shows the program names of the model again (after a change by someone else, e.g. an update).
    void refreshPrograms();
    // Fills the shortcut tree from the application menu folders.
    void loadShortcutTree();

    // The Allowed Programs page's handlers.
    void ShellTreeView1Click();
    void Button9Click();       // "Add>>"
    void Button11Click();      // "<<Remove"
    void SpTBXButton4Click();  // "Browse Computer"
    // Empties the password boxes ("Cancel" of the password change).
    void Button7Click();

    // Controls, named as the rest of the shell refers to them.
    QLabel* AdminBackground = nullptr;
    QPushButton* SaveSettingsButton = nullptr;
    QPushButton* Button12 = nullptr;  // "Return to Tumblenest"
    QPushButton* ExitButton = nullptr;
    QPushButton* MinimizeButton = nullptr;
    QPushButton* SpTBXButton8 = nullptr;  // "Help"
    QTabWidget* SpTBXTabControl1 = nullptr;
    // General
    QCheckBox* VolumeControlEnableCheckBox = nullptr;
    QCheckBox* LargeLinkPopUpCheckBox = nullptr;
    QCheckBox* LinkScrollEnableCheckBox = nullptr;
    QCheckBox* AutoEnableAllActivitiesCheckBox = nullptr;
    QCheckBox* BlockPopUpsCheckBox = nullptr;
    QCheckBox* CTLALTDELCheck = nullptr;
    QLineEdit* Edit1 = nullptr;      // current password
    QLineEdit* Edit2 = nullptr;      // new password
    QLineEdit* Edit3 = nullptr;      // new password again
    QPushButton* Button2 = nullptr;  // "Save" (password)
    QPushButton* Button7 = nullptr;  // "Cancel" (password)
    // Timer
    QListWidget* TimeListBox = nullptr;
    QPushButton* TimerButton = nullptr;
    QCheckBox* DefaultTimerCheckBox = nullptr;
    // Updates (its page joins with the update engine; the box is kept and saved already)
    QCheckBox* AutoUpdateEnableCheckBox = nullptr;
    // Allowed Programs
    QTreeWidget* ShellTreeView1 = nullptr;
    QListWidget* AppNameListBox = nullptr;
    QPushButton* Button9 = nullptr;       // "Add>>"
    QPushButton* Button11 = nullptr;      // "<<Remove"
    QPushButton* SpTBXButton4 = nullptr;  // "Browse Computer"

private:
    // The command buttons in one row along the top edge, each wide enough for its caption.
    void placeButtonRow();
    QWidget* createGeneralPage();
    QWidget* createTimerPage();
    QWidget* createProgramsPage();
    void addProgram(const std::string& picked_path);

    Hooks hooks_;
    int about_tab_ = -1;
    int last_page_ = 0;
    Programs programs_;
    IDialogs& dialogs_;
};

}  // namespace tn
