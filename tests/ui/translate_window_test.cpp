// Window and menu translation with the shipped Chinese texts and with a language
// file of edge cases.
#include "ui/translate_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>
#include <filesystem>
#include <fstream>

#include "records/language.h"
#include "support/temp_folder.h"
#include "ui/controls/custom_combo_box.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_edit_gdiplus.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

constexpr unsigned kChineseLcid = 2052;

QString U(const char* text) {
    return QString::fromUtf8(text);
}

class TranslateWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitLanguage(test::StageFolder(), kChineseLcid);
        ASSERT_EQ(GetLanguageChoice().name, "Chinese");
    }
    void TearDown() override { InitLanguage("/nonexistent/", kEnglishLcid); }
};

TEST_F(TranslateWindowTest, CaptionsAndComboItemsAreTranslatedValuesAreNot) {
    QDialog window;
    window.setWindowTitle("Note");
    auto* label = new QLabel("Cancel", &window);
    auto* skinned_label = new CTStaticGdiplus("Close", &window);
    auto* picture_button = new CTButtonPicture(&window);
    picture_button->setText("Ok");
    picture_button->setToolTip("Close");
    auto* push = new QPushButton("Apply", &window);
    auto* group = new QGroupBox("Status", &window);
    auto* nested = new QLabel("Exit", group);  // a descendant, not a direct child
    auto* check = new QCheckBox("Enable", group);
    auto* dots = new QPushButton("...", &window);
    auto* unknown = new QLabel("Not a text of the program", &window);
    auto* line = new QLineEdit("cancel", &window);
    auto* skinned_edit = new CTEditGdiplus(&window);
    skinned_edit->setText("Ok");
    auto* text = new QTextEdit("Cancel", &window);
    auto* list = new QListWidget(&window);
    list->addItem("Ok");
    auto* spin = new QSpinBox(&window);
    spin->setSuffix("Ok");
    auto* date = new QDateEdit(&window);
    auto* progress = new QProgressBar(&window);
    progress->setFormat("Ok");
    auto* combo = new CCustomComboBox(&window);
    combo->AddItem("Ok");
    combo->AddItem("Cancel", QIcon(QPixmap(4, 4)));
    combo->AddItem("eth0");
    combo->Select(1);
    auto* owned = new QDialog(&window);  // a window of its own, translated by itself
    auto* owned_label = new QLabel("Cancel", owned);
    const QString date_text = date->text();

    TranslateDialog(&window);

    EXPECT_EQ(window.windowTitle(), U("提示"));
    EXPECT_EQ(label->text(), U("取消"));
    EXPECT_EQ(skinned_label->text(), U("关闭"));
    EXPECT_EQ(picture_button->text(), U("确定"));
    EXPECT_EQ(picture_button->toolTip(), "Close");
    EXPECT_EQ(push->text(), U("应用"));
    EXPECT_EQ(group->title(), U("状态"));
    EXPECT_EQ(nested->text(), U("退出"));
    EXPECT_EQ(check->text(), U("启用"));
    EXPECT_EQ(dots->text(), "...");
    EXPECT_EQ(unknown->text(), "Not a text of the program");
    EXPECT_EQ(line->text(), "cancel");
    EXPECT_EQ(skinned_edit->text(), "Ok");
    EXPECT_EQ(text->toPlainText(), "Cancel");
    EXPECT_EQ(list->item(0)->text(), "Ok");
    EXPECT_EQ(spin->suffix(), "Ok");
    EXPECT_EQ(date->text(), date_text);
    EXPECT_EQ(progress->format(), "Ok");
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), U("确定"));
    EXPECT_EQ(combo->itemText(1), U("取消"));
    EXPECT_EQ(combo->itemText(2), "eth0");
    EXPECT_EQ(combo->GetSelection(), 1);
    EXPECT_FALSE(combo->itemIcon(1).isNull());
    EXPECT_EQ(owned_label->text(), "Cancel");
    TranslateDialog(owned);
    EXPECT_EQ(owned_label->text(), U("取消"));
}

TEST_F(TranslateWindowTest, AWindowIsTranslatedOnlyOnce) {
    QDialog window;
    window.setWindowTitle("Note");
    auto* label = new QLabel("Cancel", &window);
    TranslateDialog(&window);
    ASSERT_EQ(label->text(), U("取消"));

    label->setText("Cancel");
    window.setWindowTitle("Note");
    auto* later = new QLabel("Ok", &window);
    TranslateDialog(&window);
    EXPECT_EQ(label->text(), "Cancel");
    EXPECT_EQ(window.windowTitle(), "Note");
    EXPECT_EQ(later->text(), "Ok");

    // A new window is translated, also one that takes a freed window's place.
    for (int i = 0; i < 3; ++i) {
        auto* fresh = new QDialog;
        auto* fresh_label = new QLabel("Cancel", fresh);
        TranslateDialog(fresh);
        EXPECT_EQ(fresh_label->text(), U("取消"));
        delete fresh;
    }
}

TEST_F(TranslateWindowTest, ComboItemsKeepTheSelectionWhateverItIs) {
    for (int selection : {-1, 0, 2}) {
        QComboBox combo;
        combo.addItems({"Ok", "Cancel", "Note"});
        combo.setCurrentIndex(selection);
        TranslateComboItems(&combo);
        EXPECT_EQ(combo.currentIndex(), selection);
        EXPECT_EQ(combo.itemText(2), U("提示"));
    }
}

TEST_F(TranslateWindowTest, MenusAreTranslatedDownIntoSubmenus) {
    QMenu menu;
    QAction* show = menu.addAction("Show Utility");
    QAction* separator = menu.addSeparator();
    QMenu* sub = menu.addMenu("Close");
    QAction* sub_ok = sub->addAction("Ok");
    QMenu* deeper = sub->addMenu("Note");
    QAction* deep = deeper->addAction("Cancel");
    QAction* untranslated = menu.addAction("eth0");
    menu.addMenu(sub);  // the same submenu twice must not be translated twice

    TranslateMenu(&menu);

    EXPECT_EQ(show->text(), U("显示主界面"));
    EXPECT_TRUE(separator->isSeparator());
    EXPECT_TRUE(separator->text().isEmpty());
    EXPECT_EQ(sub->menuAction()->text(), U("关闭"));
    EXPECT_EQ(sub->menuAction()->menu(), sub);
    EXPECT_EQ(sub_ok->text(), U("确定"));
    EXPECT_EQ(deeper->menuAction()->text(), U("提示"));
    EXPECT_EQ(deeper->menuAction()->menu(), deeper);
    EXPECT_EQ(deep->text(), U("取消"));
    EXPECT_EQ(untranslated->text(), "eth0");
}

// A language whose values are empty or a blank: an empty translation is never
// applied, a single blank is.
TEST(TranslateWindowEdgeTest, EmptyTranslationsAreNotAppliedBlanksAre) {
    test::TempFolder folder;
    std::filesystem::create_directories(folder.Path() + "Languages");
    std::ofstream(folder.Path() + "Languages/Language.ini") << "[LCID]\n9999=Edge\n";
    std::ofstream(folder.Path() + "Languages/Edge.lng")
        << "[ProgramOutStr]\nnothing=[~NullInfoZivev~]\nblank=[~Null~]\ntwo lines=one\\ntwo\n";
    InitLanguage(folder.Path(), 9999);

    QDialog window;
    window.setWindowTitle("Nothing");
    auto* nothing = new QLabel("Nothing", &window);
    auto* blank = new QLabel("Blank", &window);
    auto* lines = new QLabel("Two lines", &window);
    auto* combo = new QComboBox(&window);
    combo->addItems({"Nothing", "Blank"});
    QMenu menu;
    QAction* item = menu.addAction("Nothing");

    TranslateDialog(&window);
    TranslateMenu(&menu);

    EXPECT_EQ(window.windowTitle(), "Nothing");
    EXPECT_EQ(nothing->text(), "Nothing");
    EXPECT_EQ(blank->text(), " ");
    EXPECT_EQ(lines->text(), "one\ntwo");
    EXPECT_EQ(combo->itemText(0), "Nothing");
    EXPECT_EQ(combo->itemText(1), " ");
    EXPECT_EQ(item->text(), "Nothing");
    InitLanguage("/nonexistent/", kEnglishLcid);
}

}  // namespace
}  // namespace plindar
