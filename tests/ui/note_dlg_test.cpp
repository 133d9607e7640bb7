// Message dialog: results for each way of ending it, keys that leave it open, the
// buttons shown, translated captions, placement and what accessibility sees.
#include "ui/note_dlg.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

#include "records/language.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

// What exec() returns when the action under test left the dialog open and the
// safety net below had to end it.
constexpr int kLeftOpen = -99;
constexpr int kSafetyNetMs = 30000;
constexpr unsigned kChineseLcid = 2052;

void EndIfStillOpen(QDialog* dialog) {
    QTimer::singleShot(kSafetyNetMs, dialog, [dialog] {
        if (dialog->isVisible()) {
            dialog->done(kLeftOpen);
        }
    });
}

// Runs `dialog` modally and does `act` on it once the nested loop runs.
int RunModal(CNoteDlg* dialog, const std::function<void(CNoteDlg*)>& act) {
    QTimer::singleShot(0, dialog, [dialog, act] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
        act(dialog);
    });
    EndIfStillOpen(dialog);
    return dialog->exec();
}

void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

class NoteDlgTest : public ::testing::Test {
protected:
    void TearDown() override { InitLanguage("/nonexistent/", kEnglishLcid); }
};

TEST_F(NoteDlgTest, EachWayOfEndingItGivesItsResult) {
    struct Case {
        const char* name;
        bool show_cancel;
        std::function<void(CNoteDlg*)> act;
        int result;
    } const cases[] = {
        {"Ok", true, [](CNoteDlg* d) { Click(d->OkButton()); }, kNoteOk},
        {"Cancel", true, [](CNoteDlg* d) { Click(d->CancelButton()); }, kNoteCancel},
        {"close button", true, [](CNoteDlg* d) { Click(d->CloseButton()); }, kNoteCancel},
        {"window manager close", true, [](CNoteDlg* d) { d->close(); }, kNoteCancel},
        {"Ok without Cancel", false, [](CNoteDlg* d) { Click(d->OkButton()); }, kNoteOk},
        {"close button without Cancel", false, [](CNoteDlg* d) { Click(d->CloseButton()); },
         kNoteCancel},
        {"Alt+F4 without Cancel", false, [](CNoteDlg* d) { d->close(); }, kNoteCancel},
    };
    for (const Case& c : cases) {
        CNoteDlg dialog("Note", "Please select the devices!", c.show_cancel);
        EXPECT_EQ(RunModal(&dialog, c.act), c.result) << c.name;
    }
}

TEST_F(NoteDlgTest, EnterAndEscapeLeaveItOpen) {
    for (bool show_cancel : {true, false}) {
        CNoteDlg dialog("Note", "Are you sure close program?", show_cancel);
        bool open_after_keys = false;
        const int result = RunModal(&dialog, [&](CNoteDlg* d) {
            for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
                QTest::keyClick(d, key);
                QTest::keyClick(d->OkButton(), key);
                if (show_cancel) {
                    QTest::keyClick(d->CancelButton(), key);
                }
            }
            QCoreApplication::processEvents();
            open_after_keys = d->isVisible();
            Click(d->OkButton());
        });
        EXPECT_TRUE(open_after_keys) << show_cancel;
        EXPECT_EQ(result, kNoteOk) << show_cancel;
    }
}

TEST_F(NoteDlgTest, CancelShowsOnlyWithTheFlag) {
    CNoteDlg with("Note", "text", true);
    CNoteDlg without("Note", "text", false);
    for (CNoteDlg* dialog : {&with, &without}) {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    }
    EXPECT_TRUE(with.CancelButton()->isVisible());
    EXPECT_TRUE(with.OkButton()->isVisible());
    EXPECT_FALSE(without.CancelButton()->isVisible());
    EXPECT_TRUE(without.OkButton()->isVisible());
    EXPECT_TRUE(without.CloseButton()->isVisible());
}

TEST_F(NoteDlgTest, ShowNoteRunsTheMessageModallyAndReturnsTheResult) {
    for (NoteButtons buttons : {NoteButtons::kOkOnly, NoteButtons::kOkCancel}) {
        bool cancel_visible = true;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CNoteDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EndIfStillOpen(dialog);
            cancel_visible = dialog->CancelButton()->isVisible();
            EXPECT_EQ(dialog->MessageLabel()->text(), "Are you sure close program?");
            Click(dialog->OkButton());
        });
        EXPECT_EQ(ShowNote("Note", "Are you sure close program?", buttons), kNoteOk);
        EXPECT_EQ(cancel_visible, buttons == NoteButtons::kOkCancel);
    }
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<CNoteDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EndIfStillOpen(dialog);
        dialog->close();
    });
    EXPECT_EQ(ShowNote("Confirm Exit", "Exit?", NoteButtons::kOkCancel), kNoteCancel);
}

TEST_F(NoteDlgTest, CaptionsAreTranslatedButTitleAndTextShowAsGiven) {
    InitLanguage(test::StageFolder(), kChineseLcid);
    ASSERT_EQ(TranslateText("Ok"), "确定");
    CNoteDlg dialog("Note", "Cancel", true);
    EXPECT_EQ(dialog.OkButton()->text(), QString::fromUtf8("确定"));
    EXPECT_EQ(dialog.CancelButton()->text(), QString::fromUtf8("取消"));
    // Callers translate title and text; the dialog must not translate them again.
    EXPECT_EQ(dialog.TitleLabel()->text(), "Note");
    EXPECT_EQ(dialog.MessageLabel()->text(), "Cancel");
    EXPECT_EQ(dialog.CloseButton()->toolTip(), QString::fromUtf8("关闭"));
}

TEST_F(NoteDlgTest, AccessibilityNamesEveryControl) {
    CNoteDlg dialog("Note", "Please select the devices!", true);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    struct Case {
        QObject* control;
        QAccessible::Role role;
        QString name;
    } const cases[] = {
        {&dialog, QAccessible::Dialog, "Note"},
        {dialog.TitleLabel(), QAccessible::StaticText, "Note"},
        {dialog.MessageLabel(), QAccessible::StaticText, "Please select the devices!"},
        {dialog.OkButton(), QAccessible::Button, "Ok"},
        {dialog.CancelButton(), QAccessible::Button, "Cancel"},
        {dialog.CloseButton(), QAccessible::Button, "Close"},
    };
    for (const Case& c : cases) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(c.control);
        ASSERT_NE(iface, nullptr) << c.name.toStdString();
        EXPECT_EQ(iface->role(), c.role) << c.name.toStdString();
        EXPECT_EQ(iface->text(QAccessible::Name), c.name);
    }
}

TEST_F(NoteDlgTest, LookAndPlacement) {
    QWidget owner;
    owner.setGeometry(100, 80, 800, 600);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    CNoteDlg dialog("Note", "text", true, &owner);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.size(), QSize(415, 162));
    EXPECT_LE((dialog.geometry().center() - owner.frameGeometry().center()).manhattanLength(), 2);
    EXPECT_TRUE(test::Near(dialog.grab().toImage().pixelColor(200, 80), QColor(248, 248, 248), 0));
    EXPECT_FALSE(dialog.mask().contains(QPoint(0, 0)));
    EXPECT_EQ(dialog.OkButton()->geometry(), QRect(332, 128, 67, 27));
    EXPECT_EQ(dialog.CancelButton()->geometry(), QRect(252, 128, 71, 27));

    CNoteDlg alone("Note", "text", false);
    alone.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&alone));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((alone.geometry().center() - screen.center()).manhattanLength(), 2);
}

TEST_F(NoteDlgTest, AMessageLongerThanTheBoxMakesItTallerInsteadOfCuttingLines) {
    const QString longer =
        "No permission to capture on this adapter.\nRun Plindar as root, or give it the capture "
        "capability once:\nsudo setcap cap_net_raw,cap_net_admin=eip /opt/plindar/plindar\nThen "
        "start it again.";
    CNoteDlg dialog("Note", longer, true);
    const QStringList lines = BreakStaticText(longer, dialog.MessageLabel()->TextFont(), 320);
    const int needed = lines.size() * QFontMetrics(dialog.MessageLabel()->TextFont()).height();
    ASSERT_GT(needed, 60) << "the text should not fit the short box";
    EXPECT_GE(dialog.MessageLabel()->height(), needed);
    const int extra = dialog.height() - 162;
    EXPECT_EQ(extra, dialog.MessageLabel()->height() - 60);
    EXPECT_EQ(dialog.OkButton()->geometry(), QRect(332, 128 + extra, 67, 27));
    EXPECT_EQ(dialog.CancelButton()->geometry(), QRect(252, 128 + extra, 71, 27));
    EXPECT_GE(dialog.height() - dialog.OkButton()->geometry().bottom(), 7);
}

}  // namespace
}  // namespace plindar
