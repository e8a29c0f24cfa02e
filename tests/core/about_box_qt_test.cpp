// The about box and the help document.
#include "core/about_box.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>

#include "access/admin_panel.h"
#include "core/main_form.h"
#include "support/qt_support.h"
#include "support/shell_services.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

TEST(AboutBoxTest, ReadsTheTextAtEveryOpeningAndClosesOnlyThroughOk) {
    test::qtApp();
    test::TempDir dir;
    dir.write("files/readme.txt", "Version one");
    TAboutBox box(dir.path() + "/");
    EXPECT_EQ(box.AboutMemo->toPlainText(), QStringLiteral("Version one"));

    dir.write("files/readme.txt", "Version two");
    bool refused = false;
    test::whenShown(&box, [&] {
        QCloseEvent close_request;
        QCoreApplication::sendEvent(&box, &close_request);
        box.reject();  // Escape
        refused = box.isVisible() && !close_request.isAccepted();
        box.SpTBXButton1->click();
    });
    box.openModal();
    EXPECT_TRUE(refused);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.AboutMemo->toPlainText(), QStringLiteral("Version two"));

    std::filesystem::remove(dir.file("files/readme.txt"));
    test::whenShown(&box, [&] { box.SpTBXButton1Click(); });
    box.openModal();
    EXPECT_TRUE(box.AboutMemo->toPlainText().contains(QStringLiteral("\"files/readme.txt\"")));
}

TEST(AboutBoxTest, HelpOpensTheGuideAndAboutIsACommandOnThePanelStrip) {
    test::qtApp();
    test::TempDir dir;
    std::filesystem::create_directories(dir.file("Activities"));
    dir.write("files/config.ini", test::minimalSettingsText());
    Settings settings;
    ASSERT_FALSE(loadSettingsFile(dir.file("files/config.ini"), "config.ini", settings));
    test::RecordingServices doubles;
    TForm1 form(doubles.services([] {}), dir.path() + "/", std::move(settings));
    form.FormCreate();
    form.createForms();
    doubles.log->calls.clear();

    form.adminPanel()->SpTBXButton8->click();
    EXPECT_EQ(doubles.log->calls,
              std::vector<std::string>{"shellOpen [] [" + dir.path() + "/Tumblenest_How_To.pdf] [] []"});

    QTabWidget* tabs = form.adminPanel()->SpTBXTabControl1;
    tabs->setCurrentIndex(1);  // Timer
    bool opened = false;
    test::whenShown(form.aboutBox(), [&] {
        opened = form.aboutBox()->isVisible();
        form.aboutBox()->SpTBXButton1Click();
    });
    tabs->setCurrentIndex(tabs->count() - 1);  // "About"
    EXPECT_TRUE(opened);
    EXPECT_EQ(tabs->currentIndex(), 1);
}

}  // namespace
}  // namespace tn
