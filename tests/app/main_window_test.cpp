// The main window driven as an operator drives it: pages and their looks, the
// title-bar buttons with and without a tray, exit confirmations, keys that must
// not close it, the about box and the Chinese texts.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/about_dlg.h"
#include "records/language.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/note_dlg.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

constexpr unsigned kChineseLcid = 2052;

using test::AnswerNextNote;
using test::note_seen;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { InitLanguage(test::StageFolder(), kEnglishLcid); }
    void TearDown() override { InitLanguage(test::StageFolder(), kEnglishLcid); }

    std::unique_ptr<CApplicationDlg> Open(TrayMode tray = TrayMode::kNoTray) {
        auto window = std::make_unique<CApplicationDlg>(tray);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    static std::vector<int> VisiblePages(CApplicationDlg* window) {
        std::vector<int> shown;
        for (int id : {PAGE_ADAPTER, PAGE_DEVICES, PAGE_CUSTOMIZE, PAGE_ANTITHEFT}) {
            if (window->Page(id)->isVisible()) {
                shown.push_back(id);
            }
        }
        return shown;
    }
};

TEST_F(MainWindowTest, OpensBorderlessAtItsSizeOnTheAdapterPage) {
    auto window = Open();
    EXPECT_EQ(window->size(), QSize(817, 540));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_ADAPTER);
    EXPECT_EQ(VisiblePages(window.get()), std::vector<int>{PAGE_ADAPTER});
    EXPECT_FALSE(window->MinimiseButton()->isVisible());
    EXPECT_TRUE(window->CloseButton()->isVisible());
    EXPECT_EQ(window->CloseButtonStyleInUse(), CLOSE_STYLE_ADAPTER);
    EXPECT_EQ(window->MinimiseButton()->geometry(), QRect(763, 16, 16, 16));
    EXPECT_EQ(window->CloseButton()->geometry(), QRect(784, 16, 16, 16));
    // Each page in its place.
    EXPECT_EQ(window->Page(PAGE_ADAPTER)->geometry(), QRect(247, 126, 324, 288));
    EXPECT_EQ(window->Page(PAGE_DEVICES)->geometry(), QRect(0, 48, 817, 492));
    EXPECT_EQ(window->Page(PAGE_ANTITHEFT)->geometry(), QRect(198, 57, 420, 426));
    // Without a logo or a configuration file the customization page is at its
    // shortest, 420 x 256.
    EXPECT_EQ(window->Page(PAGE_CUSTOMIZE)->geometry(), QRect(200, 142, 420, 256));
}

TEST_F(MainWindowTest, ShowingAPageSetsItsBackgroundButtonsAndTheCurrentPage) {
    struct look_case {
        int page;
        bool minimise_shown;
        bool close_shown;
        int close_style;
    };
    // In this order, so the adapter page comes after a page that hid the close
    // button and must leave it as it is.
    const look_case cases[] = {
        {PAGE_DEVICES, true, true, CLOSE_STYLE_DEVICES},
        {PAGE_CUSTOMIZE, false, false, CLOSE_STYLE_DEVICES},
        {PAGE_ADAPTER, false, false, CLOSE_STYLE_ADAPTER},
        {PAGE_DEVICES, true, true, CLOSE_STYLE_DEVICES},
        {PAGE_ANTITHEFT, false, false, CLOSE_STYLE_DEVICES},
        {PAGE_DEVICES, true, true, CLOSE_STYLE_DEVICES},
        {PAGE_ADAPTER, false, true, CLOSE_STYLE_ADAPTER},
    };
    auto window = Open();
    for (const look_case& c : cases) {
        window->ShowPage(c.page);
        EXPECT_EQ(CApplicationApp::GetApp()->current_page, c.page);
        EXPECT_EQ(VisiblePages(window.get()), std::vector<int>{c.page});
        EXPECT_EQ(window->MinimiseButton()->isVisible(), c.minimise_shown) << c.page;
        EXPECT_EQ(window->CloseButton()->isVisible(), c.close_shown) << c.page;
        EXPECT_EQ(window->CloseButtonStyleInUse(), c.close_style) << c.page;
        EXPECT_TRUE(window->HasBackgroundImage()) << c.page;
    }
    // Not a page of this window: nothing changes.
    window->ShowPage(170);
    EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_ADAPTER);
    EXPECT_EQ(VisiblePages(window.get()), std::vector<int>{PAGE_ADAPTER});
}

// A page of the test's own with an edit box that wants the focus.
class FocusPage : public CPage {
public:
    FocusPage(PageId id, QWidget* parent) : CPage(id, QSize(420, 426), parent) {
        box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("lockCode"));
    }
    QWidget* InitialFocus() override { return box; }
    QLineEdit* box;
};

TEST_F(MainWindowTest, APagePlugsInAndGetsTheFocusWhereItWantsItEachTimeItShows) {
    FocusPage* plugged = nullptr;
    auto window = std::make_unique<CApplicationDlg>(
        TrayMode::kNoTray, [&plugged](PageId id, QWidget* parent) -> CPage* {
            if (id == PAGE_ANTITHEFT) {
                return plugged = new FocusPage(id, parent);
            }
            return CreatePage(id, parent);
        });
    ASSERT_TRUE(test::ShowActive(window.get()));
    ASSERT_NE(plugged, nullptr);
    EXPECT_EQ(window->Page(PAGE_ANTITHEFT), plugged);
    EXPECT_EQ(plugged->pos(), QPoint(198, 57));
    EXPECT_FALSE(plugged->isVisible());

    for (int round = 0; round < 2; ++round) {
        window->ShowPage(PAGE_ANTITHEFT);
        EXPECT_TRUE(plugged->isVisible());
        EXPECT_TRUE(plugged->box->hasFocus()) << "round " << round;
        window->ShowPage(PAGE_DEVICES);
        EXPECT_FALSE(plugged->isVisible());
    }
}

TEST_F(MainWindowTest, TheCloseButtonAsksAndOnlyOkEndsTheProgram) {
    auto window = Open();
    window->ShowPage(PAGE_DEVICES);
    QSignalSpy finished(window.get(), &QDialog::finished);

    note_seen seen;
    AnswerNextNote(kNoteCancel, &seen);
    QTest::mouseClick(window->CloseButton(), Qt::LeftButton);
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, "Confirm Exit");
    EXPECT_EQ(seen.text, "Are you sure you want to exit Plindar?");
    EXPECT_TRUE(seen.cancel_visible);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_DEVICES);

    AnswerNextNote(kNoteOk, &seen);
    QTest::mouseClick(window->CloseButton(), Qt::LeftButton);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
}

TEST_F(MainWindowTest, ExitFromTheTrayMenuAsksItsOwnQuestion) {
    auto window = Open(TrayMode::kTray);
    QSignalSpy finished(window.get(), &QDialog::finished);
    note_seen seen;
    AnswerNextNote(kNoteCancel, &seen);
    window->ExitAction()->trigger();
    EXPECT_EQ(seen.title, "Note");
    EXPECT_EQ(seen.text, "Are you sure close program?");
    EXPECT_EQ(finished.count(), 0);

    AnswerNextNote(kNoteOk, &seen);
    window->ExitAction()->trigger();
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(MainWindowTest, EnterAndEscapeCloseNothingButTheWindowManagersCloseEndsAtOnce) {
    auto window = Open();
    QSignalSpy finished(window.get(), &QDialog::finished);
    for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(window.get(), Qt::Key(key));
        QTest::keyClick(window->Page(PAGE_ADAPTER), Qt::Key(key));
    }
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(window->isVisible());

    // Alt+F4 reaches the window as a close request; it asks nothing.
    window->close();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindowTest, MinimiseHidesToTheTrayOrWithoutOneToTheTaskbar) {
    {
        auto window = Open(TrayMode::kTray);
        ASSERT_TRUE(window->HasTray());
        window->ShowPage(PAGE_DEVICES);
        QTest::mouseClick(window->MinimiseButton(), Qt::LeftButton);
        EXPECT_TRUE(window->isHidden());
        window->ShowUtilityAction()->trigger();
        EXPECT_TRUE(window->isVisible());
        window->hide();
        window->ShowFromTray();
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_DEVICES);
    }
    {
        auto window = Open(TrayMode::kNoTray);
        ASSERT_FALSE(window->HasTray());
        window->ShowPage(PAGE_DEVICES);
        QTest::mouseClick(window->MinimiseButton(), Qt::LeftButton);
        // Still a window the taskbar can bring back.
        EXPECT_FALSE(window->isHidden());
        EXPECT_TRUE(window->windowState() & Qt::WindowMinimized);
    }
}

TEST_F(MainWindowTest, TheAboutBoxOpensFromTheBackgroundsMenuAndItsButtonClosesIt) {
    auto window = Open();
    ASSERT_NE(window->WindowMenu(), nullptr);
    ASSERT_TRUE(window->WindowMenu()->actions().contains(window->AboutAction()));
    EXPECT_EQ(window->AboutAction()->text(), "About Application(&A)...");

    bool seen = false;
    QString version;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        if (about != nullptr) {
            seen = true;
            version = about->VersionLabel()->text();
            QTest::mouseClick(about->OkButton(), Qt::LeftButton);
        }
    });
    window->AboutAction()->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(version, "Application, Version 1.0");
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, TitleButtonsAreFoundByTheirNames) {
    auto window = Open();
    window->ShowPage(PAGE_DEVICES);
    for (auto [button, name] :
         {std::pair{window->MinimiseButton(), "Min"}, std::pair{window->CloseButton(), "Close"}}) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), QAccessible::Button);
        EXPECT_EQ(accessible->text(QAccessible::Name), name);
    }
}

TEST_F(MainWindowTest, InChineseEveryTextOfTheWindowComesFromTheLanguageFile) {
    InitLanguage(test::StageFolder(), kChineseLcid);
    auto window = Open(TrayMode::kTray);
    EXPECT_EQ(window->MinimiseButton()->toolTip(), QString::fromUtf8("最小化"));
    EXPECT_EQ(window->CloseButton()->toolTip(), QString::fromUtf8("关闭"));
    EXPECT_EQ(window->ShowUtilityAction()->text(), QString::fromUtf8("显示主界面"));
    EXPECT_EQ(window->ExitAction()->text(), QString::fromUtf8("退出"));

    note_seen seen;
    AnswerNextNote(kNoteCancel, &seen);
    QTest::mouseClick(window->CloseButton(), Qt::LeftButton);
    EXPECT_EQ(seen.title, QString::fromUtf8("确认退出"));
    EXPECT_EQ(seen.text, QString::fromUtf8("确定要退出 Plindar 吗？"));
}

}  // namespace
}  // namespace plindar
