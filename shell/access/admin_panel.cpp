#include "access/admin_panel.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/artwork.h"
#include "core/dialogs.h"
#include "core/screen_layout.h"
#include "programs/allowed_programs.h"
#include "timer/play_timer.h"

namespace tn {

namespace {

constexpr int kButtonWidth = 160;
constexpr int kPasswordMaxLength = 24;
// How deep the shortcut tree looks into the menu folders; menus nest two or three levels at most.
constexpr int kTreeDepth = 4;

QString text(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) b->setToolTip(hint);
    return b;
}

QCheckBox* checkBox(const char* name, const QString& caption, const QString& hint) {
    auto* c = new QCheckBox(caption);
    c->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) c->setToolTip(hint);
    return c;
}

QLineEdit* passwordEdit(const char* name, const QString& hint) {
    auto* e = new QLineEdit;
    e->setObjectName(QString::fromLatin1(name));
    e->setEchoMode(QLineEdit::Password);
    e->setMaxLength(kPasswordMaxLength);
    e->setToolTip(hint);
    return e;
}

// Adds the folders and shortcuts below `folder` to `parent` (or the tree's top level), folders first.
void addTreeEntries(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& folder, int depth) {
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::DirsFirst | QDir::Name);
    for (const QFileInfo& entry : entries) {
        const bool is_folder = entry.isDir();
        if (!shortcutTreeAdmits(entry.fileName().toStdString(), is_folder)) continue;
        if (is_folder && depth >= kTreeDepth) continue;
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, entry.fileName());
        item->setData(0, Qt::UserRole, entry.absoluteFilePath());
        if (is_folder) addTreeEntries(tree, item, entry.absoluteFilePath(), depth + 1);
    }
}

}  // namespace

AdminPanel::AdminPanel(QWidget* parent, Hooks hooks, Programs programs, IDialogs& dialogs)
    : QWidget(parent), hooks_(std::move(hooks)), programs_(programs), dialogs_(dialogs) {
    setObjectName(QStringLiteral("TestPanel"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 255));
    setPalette(pal);

    AdminBackground = new QLabel(this);
    AdminBackground->setObjectName(QStringLiteral("AdminBackground"));
    AdminBackground->setScaledContents(true);

    SaveSettingsButton = button(this, "SaveSettingsButton", QStringLiteral("Save Settings"),
                                QStringLiteral("Save Your Settings"));
    Button12 = button(this, "Button12", QStringLiteral("Return to Tumblenest"),
                      QStringLiteral("Return to Locked Mode"));
    ExitButton = button(this, "ExitButton", QStringLiteral("Exit Program"),
                        QStringLiteral("Entirely Exit the Program"));
    MinimizeButton = button(this, "MinimizeButton", QStringLiteral("Minimize"), QStringLiteral("Minimize"));
    SpTBXButton8 = button(this, "SpTBXButton8", QStringLiteral("Help"), {});
    placeButtonRow();
    connect(SaveSettingsButton, &QPushButton::clicked, this, [this] { hooks_.save(); });
    connect(Button12, &QPushButton::clicked, this, [this] { hooks_.return_to_locked(); });
    connect(ExitButton, &QPushButton::clicked, this, [this] { hooks_.exit(); });
    connect(MinimizeButton, &QPushButton::clicked, this, [this] { hooks_.minimize(); });
    connect(SpTBXButton8, &QPushButton::clicked, this, [this] {
        if (hooks_.help) hooks_.help();
    });

    SpTBXTabControl1 = new QTabWidget(this);
    SpTBXTabControl1->setObjectName(QStringLiteral("SpTBXTabControl1"));
    SpTBXTabControl1->addTab(createGeneralPage(), QStringLiteral("General"));
    SpTBXTabControl1->addTab(createTimerPage(), QStringLiteral("Timer"));
    SpTBXTabControl1->addTab(createProgramsPage(), QStringLiteral("Allowed Programs"));
    // "About" is a command on the strip, not a page: it opens the about box and the page stays.
    about_tab_ = SpTBXTabControl1->addTab(new QWidget, QStringLiteral("About"));
    connect(SpTBXTabControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (index != about_tab_) {
            last_page_ = index;
            return;
        }
        SpTBXTabControl1->setCurrentIndex(last_page_);
        if (hooks_.about) hooks_.about();
    });
    // Kept with the other boxes the save writes; its Updates page joins with the update engine.
    AutoUpdateEnableCheckBox =
        checkBox("AutoUpdateEnableCheckBox", QStringLiteral("Enable Automatic Updates (recommended)"), {});
    AutoUpdateEnableCheckBox->setParent(this);
    AutoUpdateEnableCheckBox->hide();
    hide();
}

QWidget* AdminPanel::createGeneralPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("GeneralTAB1"));
    page->setAutoFillBackground(true);
    page->setStyleSheet(
        QStringLiteral("#GeneralTAB1 { background: black; } #GeneralTAB1 QLabel, "
                       "#GeneralTAB1 QCheckBox, #GeneralTAB1 QGroupBox { color: yellow; }"));
    auto* grid = new QGridLayout(page);

    auto* basics = new QGroupBox(QStringLiteral("Basics:"));
    auto* basics_layout = new QVBoxLayout(basics);
    VolumeControlEnableCheckBox =
        checkBox("VolumeControlEnableCheckBox", QStringLiteral("Show Volume Control"),
                 QStringLiteral("Check this box to allow the user to change the audio volume"));
    LargeLinkPopUpCheckBox =
        checkBox("LargeLinkPopUpCheckBox", QStringLiteral("Enable large link pop-up"), {});
    LinkScrollEnableCheckBox =
        checkBox("LinkScrollEnableCheckBox", QStringLiteral("Enable Link Scrolling"),
                 QStringLiteral("Enables the World Wide Web links to automatically scroll"));
    AutoEnableAllActivitiesCheckBox = checkBox(
        "AutoEnableAllActivitiesCheckBox", QStringLiteral("Automatically Enable all Activities"),
        QStringLiteral("Check this box to automatically allow all new activites provided with updates"));
    BlockPopUpsCheckBox = checkBox("BlockPopUpsCheckBox", QStringLiteral("Block pop-ups"),
                                   QStringLiteral("Check this box to block all internet pop-ups"));
    for (QCheckBox* c : {VolumeControlEnableCheckBox, LargeLinkPopUpCheckBox, LinkScrollEnableCheckBox,
                         AutoEnableAllActivitiesCheckBox, BlockPopUpsCheckBox})
        basics_layout->addWidget(c);

    auto* protection = new QGroupBox(QStringLiteral("Extra Protection:"));
    auto* protection_layout = new QHBoxLayout(protection);
    CTLALTDELCheck = checkBox("CTLALTDELCheck", QStringLiteral("Disable \"CTL+ALT+DEL\""),
                              QStringLiteral("Check this box to disable CTRL+ALT+DEL"));
    auto* caution = new QLabel(QStringLiteral("Caution, checking this box will disable the task-manager "));
    caution->setStyleSheet(QStringLiteral("color: red;"));
    protection_layout->addWidget(CTLALTDELCheck);
    protection_layout->addWidget(caution);

    auto* password = new QGroupBox(QStringLiteral("Administrator Password:"));
    auto* password_layout = new QGridLayout(password);
    Edit1 = passwordEdit("Edit1", QStringLiteral("Enter the current password here"));
    Edit2 = passwordEdit("Edit2", QStringLiteral("Enter your new password here"));
    Edit3 = passwordEdit("Edit3", QStringLiteral("Re-enter your new password here"));
    password_layout->addWidget(new QLabel(QStringLiteral("Enter Current Password:")), 0, 0);
    password_layout->addWidget(Edit1, 0, 1);
    password_layout->addWidget(new QLabel(QStringLiteral("Enter New Password:")), 1, 0);
    password_layout->addWidget(Edit2, 1, 1);
    password_layout->addWidget(new QLabel(QStringLiteral("Confirm New Password:")), 2, 0);
    password_layout->addWidget(Edit3, 2, 1);
    Button2 = button(password, "Button2", QStringLiteral("Save"),
                     QStringLiteral("Click here to save your new password"));
    Button7 = button(password, "Button7", QStringLiteral("Cancel"),
                     QStringLiteral("Click here to cancel password change"));
    password_layout->addWidget(Button2, 3, 0);
    password_layout->addWidget(Button7, 3, 1);
    connect(Button2, &QPushButton::clicked, this, [this] { hooks_.change_password(); });
    connect(Button7, &QPushButton::clicked, this, [this] { Button7Click(); });

    grid->addWidget(basics, 0, 0);
    grid->addWidget(protection, 1, 0);
    grid->addWidget(password, 0, 1, 2, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(2, 1);
    return page;
}

QWidget* AdminPanel::createTimerPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TimerTAB1"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Set Computer Time Limit:")));
    TimeListBox = new QListWidget;
    TimeListBox->setObjectName(QStringLiteral("TimeListBox"));
    TimeListBox->setToolTip(QStringLiteral("Select time limit"));
    for (const char* caption : kPlayTimerCaptions)
        TimeListBox->addItem(QString::fromLatin1(caption));
    TimeListBox->setMaximumWidth(240);
    layout->addWidget(TimeListBox);
    TimerButton = button(page, "TimerButton", QStringLiteral("Set Timer"), QStringLiteral("Apply"));
    TimerButton->setMaximumWidth(240);
    connect(TimerButton, &QPushButton::clicked, this, [this] { hooks_.timer_button(); });
    layout->addWidget(TimerButton);
    DefaultTimerCheckBox =
        checkBox("DefaultTimerCheckBox",
                 QStringLiteral("Enable this timer every timer every time Tumblenest runs"), {});
    layout->addWidget(DefaultTimerCheckBox);
    layout->addStretch(1);
    return page;
}

QWidget* AdminPanel::createProgramsPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("ProgramsTAB1"));
    auto* outer = new QVBoxLayout(page);
    auto* group = new QGroupBox(QStringLiteral("Program Permissions:"));
    outer->addWidget(group);
    auto* grid = new QGridLayout(group);

    grid->addWidget(new QLabel(QStringLiteral("Select Programs:")), 0, 0);
    ShellTreeView1 = new QTreeWidget;
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeView1->setToolTip(QStringLiteral("Select programs here"));
    ShellTreeView1->setHeaderHidden(true);
    grid->addWidget(ShellTreeView1, 1, 0, 4, 1);
    connect(ShellTreeView1, &QTreeWidget::itemSelectionChanged, this, [this] { ShellTreeView1Click(); });

    Button9 = button(group, "Button9", QStringLiteral("Add>>"),
                     QStringLiteral("Click here to add selected program to the list"));
    Button11 = button(group, "Button11", QStringLiteral("<<Remove"),
                      QStringLiteral("Click here to remove selected program"));
    SpTBXButton4 = button(group, "SpTBXButton4", QStringLiteral("Browse Computer"), {});
    Button9->setEnabled(false);
    grid->addWidget(Button9, 1, 1);
    grid->addWidget(Button11, 2, 1);
    grid->addWidget(SpTBXButton4, 3, 1);
    connect(Button9, &QPushButton::clicked, this, [this] { Button9Click(); });
    connect(Button11, &QPushButton::clicked, this, [this] { Button11Click(); });
    connect(SpTBXButton4, &QPushButton::clicked, this, [this] { SpTBXButton4Click(); });

    grid->addWidget(new QLabel(QStringLiteral("Allowed Programs:")), 0, 2);
    AppNameListBox = new QListWidget;
    AppNameListBox->setObjectName(QStringLiteral("AppNameListBox"));
    AppNameListBox->setToolTip(
        QStringLiteral("A button is created on the Software tab for each program in this list"));
    grid->addWidget(AppNameListBox, 1, 2, 4, 1);
    grid->setRowStretch(4, 1);
    refreshPrograms();
    return page;
}

void AdminPanel::placeButtonRow() {
    int left = 0;
    for (QPushButton* b : {SaveSettingsButton, Button12, ExitButton, MinimizeButton, SpTBXButton8}) {
        // Wide enough for the caption in the style's bold face.
        const int width = std::max(kButtonWidth, b->sizeHint().width() + 16);
        b->setGeometry(left, 0, width, kSaveButtonHeight);
        left += width;
    }
}

void AdminPanel::layoutFor(int screen_width, int screen_height) {
    placeButtonRow();
    const MainLayout layout = layoutMainTabs(screen_width, screen_height, SaveSettingsButton->height());
    const Rect& panel = layout.test_panel;
    setGeometry(panel.left, panel.top, panel.width, panel.height);
    AdminBackground->setGeometry(0, 0, panel.width, panel.height);
    AdminBackground->setPixmap(artwork::adminBackground(panel.width, panel.height));
    const Rect& tabs = layout.admin_tabs;
    SpTBXTabControl1->setGeometry(tabs.left, tabs.top, tabs.width, tabs.height);
}

AdminChecks AdminPanel::checks() const {
    AdminChecks c;
    c.ctrl_alt_del = CTLALTDELCheck->isChecked();
    c.volume_control = VolumeControlEnableCheckBox->isChecked();
    c.link_scroll = LinkScrollEnableCheckBox->isChecked();
    c.auto_update = AutoUpdateEnableCheckBox->isChecked();
    c.auto_enable_activities = AutoEnableAllActivitiesCheckBox->isChecked();
    c.block_popups = BlockPopUpsCheckBox->isChecked();
    c.default_timer = DefaultTimerCheckBox->isChecked();
    c.large_link_popup = LargeLinkPopUpCheckBox->isChecked();
    return c;
}

void AdminPanel::refreshPrograms() {
    const int row = AppNameListBox->currentRow();
    AppNameListBox->clear();
    // Every name is listed, paired or not, so the parent sees what the file holds.
    for (const std::string_view name : programs_.names)
        AppNameListBox->addItem(text(name));
    if (row >= 0 && row < AppNameListBox->count()) AppNameListBox->setCurrentRow(row);
}

void AdminPanel::loadShortcutTree() {
    ShellTreeView1->clear();
    for (const std::string& folder : programMenuFolders())
        addTreeEntries(ShellTreeView1, nullptr, QString::fromStdString(folder), 1);
    Button9->setEnabled(false);
}

void AdminPanel::ShellTreeView1Click() {
    const QTreeWidgetItem* item = ShellTreeView1->currentItem();
    if (!item) return;
    const QFileInfo info(item->data(0, Qt::UserRole).toString());
    if (info.isFile()) Button9->setEnabled(true);
    if (info.isDir()) Button9->setEnabled(false);
}

void AdminPanel::addProgram(const std::string& picked_path) {
    AllowedPrograms programs(programs_.names, programs_.paths);
    const AllowedPrograms::AddResult result = programs.add(picked_path, programs_.links);
    if (!result.message.empty()) dialogs_.information(this, QString::fromStdString(result.message));
    if (result.added) refreshPrograms();
}

void AdminPanel::Button9Click() {
    const QTreeWidgetItem* item = ShellTreeView1->currentItem();
    if (!item) return;
    const QString path = item->data(0, Qt::UserRole).toString();
    if (!QFileInfo(path).isFile()) return;
    addProgram(path.toStdString());
}

void AdminPanel::Button11Click() {
    const int row = AppNameListBox->currentRow();
    AllowedPrograms programs(programs_.names, programs_.paths);
    programs.remove(row >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(row)) : std::nullopt);
    refreshPrograms();
}

void AdminPanel::SpTBXButton4Click() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString folder = QDir(documents).exists() ? documents : QDir::homePath();
    // Linux programs carry no ".exe": every file is offered first.
    const auto file = dialogs_.openFile(
        this, folder,
        QStringLiteral("All files (*);;Excecutable files (*.exe);;Link files (*.lnk *.desktop)"));
    if (!file) return;
    addProgram(file->toStdString());
}

void AdminPanel::Button7Click() {
    Edit1->clear();
    Edit2->clear();
    Edit3->clear();
}

}  // namespace tn
