// The template dialogs, on their own and opened from the anti-theft page: listing
// with the remembered name preselected, the delete button's visibility, loading into
// the page, deleting, saving with its messages, and the round trip through the file.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "app/main_window.h"
#include "records/ini_document.h"
#include "records/language.h"
#include "records/program_folder.h"
#include "ui/antitheft/antitheft_page.h"
#include "ui/antitheft/load_template_dlg.h"
#include "ui/antitheft/save_template_dlg.h"
#include "ui/antitheft_test_support.h"
#include "ui/controls/custom_combo_box.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_edit_gdiplus.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

constexpr char kThreeTemplates[] =
    "[Alpha]\nACName=ac-alpha\nPrimaryDns=8.8.8.8\nSecondaryDns=e.g. 8.8.8.8\nSwitchOn=1\n"
    "[Beta]\nACName=ac-beta\nPrimaryDns=e.g. 8.8.8.8\nSecondaryDns=2001:db8::1\nSwitchOn=1\n"
    "[Gamma]\nACName=\nPrimaryDns=\nSecondaryDns=\nSwitchOn=0\n";

std::vector<QString> Entries(const CLoadTemplateDlg& dialog) {
    std::vector<QString> entries;
    for (int i = 0; i < dialog.TemplateList()->count(); ++i) {
        entries.push_back(dialog.TemplateList()->itemText(i));
    }
    return entries;
}

std::vector<std::string> SectionsOnDisk() {
    IniDocument document;
    EXPECT_TRUE(document.Load(test::TemplateFile())) << document.LastError();
    return document.GetSectionNames();
}

// Waits for the dialog's next delete-button tick, which has run once this returns.
bool NextTick(CLoadTemplateDlg* dialog) {
    QSignalSpy tick(dialog->DeleteButtonTimer(), &QTimer::timeout);
    return tick.wait(20000);
}

class TemplateDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetProgramFolder(), test::AntiTheftHome());
        InitLanguage(test::StageFolder(), kEnglishLcid);
        test::WriteTemplateFile(kThreeTemplates);
    }
    void TearDown() override {
        window_.reset();
        test::RemoveTemplateFile();
    }

    CAntiTheftProtectionDlg* OpenPage() {
        window_ = std::make_unique<CApplicationDlg>(TrayMode::kNoTray);
        EXPECT_TRUE(test::ShowActive(window_.get()));
        window_->ShowPage(PAGE_ANTITHEFT);
        return qobject_cast<CAntiTheftProtectionDlg*>(window_->Page(PAGE_ANTITHEFT));
    }

    // From the page: opens the load dialog, picks `name` (none when null) with the
    // keyboard and presses Load, then Cancel (`load` false) or Load.
    static void LoadFromPage(CAntiTheftProtectionDlg* page, const char* name, bool load = true,
                             std::vector<QString>* listed = nullptr,
                             QString* preselected = nullptr) {
        test::OnNextModal<CLoadTemplateDlg>([=](CLoadTemplateDlg* dialog) {
            CCustomComboBox* list = dialog->TemplateList();
            if (listed != nullptr) {
                *listed = Entries(*dialog);
            }
            if (preselected != nullptr) {
                *preselected = list->currentText();
            }
            if (name != nullptr) {
                list->setFocus();
                QTest::keyClick(list, Qt::Key_Home);
                while (list->currentText() != QString::fromUtf8(name) &&
                       list->currentIndex() + 1 < list->count()) {
                    QTest::keyClick(list, Qt::Key_Down);
                }
            }
            QTest::mouseClick(load ? dialog->LoadButton() : dialog->CancelButton(), Qt::LeftButton);
        });
        QTest::mouseClick(page->LoadTemplateButton(), Qt::LeftButton);
    }

    static void SaveFromPage(CAntiTheftProtectionDlg* page, const QString& name) {
        test::OnNextModal<CSaveTemplateDlg>([=](CSaveTemplateDlg* dialog) {
            QTest::keyClicks(dialog->NameBox(), name);
            QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
        });
        QTest::mouseClick(page->SaveTemplateButton(), Qt::LeftButton);
    }

    std::unique_ptr<CApplicationDlg> window_;
};

TEST_F(TemplateDialogTest, TheLoadDialogPreselectsTheTemplateLastLoadedIntoThePage) {
    CAntiTheftProtectionDlg* page = OpenPage();
    ASSERT_NE(page, nullptr);
    std::vector<QString> listed;
    QString preselected = QStringLiteral("unset");
    LoadFromPage(page, "Beta", true, &listed, &preselected);
    EXPECT_EQ(listed, (std::vector<QString>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(preselected, QString());  // nothing loaded yet
    EXPECT_EQ(page->TemplateName(), "Beta");
    EXPECT_TRUE(page->isVisible());

    LoadFromPage(page, nullptr, false, &listed, &preselected);
    EXPECT_EQ(preselected, "Beta");
    EXPECT_EQ(page->TemplateName(), "Beta");
}

TEST_F(TemplateDialogTest, TheDeleteButtonShowsExactlyWhileATemplateIsSelected) {
    antitheft_page_stu state;
    CLoadTemplateDlg dialog(test::TemplateFile(), &state);
    ASSERT_TRUE(test::ShowActive(&dialog));
    EXPECT_EQ(dialog.size(), QSize(420, 152));
    EXPECT_EQ(dialog.DeleteButtonTimer()->interval(), 100);
    ASSERT_TRUE(NextTick(&dialog));
    EXPECT_EQ(dialog.TemplateList()->currentIndex(), -1);
    EXPECT_FALSE(dialog.DeleteButton()->isVisible());

    dialog.TemplateList()->setFocus();
    QTest::keyClick(dialog.TemplateList(), Qt::Key_Down);
    ASSERT_GE(dialog.TemplateList()->currentIndex(), 0);
    ASSERT_TRUE(NextTick(&dialog));
    EXPECT_TRUE(dialog.DeleteButton()->isVisible());

    // With the remembered name selected from the start.
    state.template_name = "Gamma";
    CLoadTemplateDlg remembered(test::TemplateFile(), &state);
    ASSERT_TRUE(test::ShowActive(&remembered));
    ASSERT_TRUE(NextTick(&remembered));
    EXPECT_EQ(remembered.TemplateList()->currentText(), "Gamma");
    EXPECT_TRUE(remembered.DeleteButton()->isVisible());
}

TEST_F(TemplateDialogTest, DeletingRemovesTheTemplateFromListAndFileAndSelectsTheFirst) {
    antitheft_page_stu state;
    state.template_name = "Beta";
    CLoadTemplateDlg dialog(test::TemplateFile(), &state);
    ASSERT_TRUE(test::ShowActive(&dialog));
    ASSERT_TRUE(NextTick(&dialog));

    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Entries(dialog), (std::vector<QString>{"Alpha", "Gamma"}));
    EXPECT_EQ(dialog.TemplateList()->currentText(), "Alpha");
    EXPECT_EQ(SectionsOnDisk(), (std::vector<std::string>{"Alpha", "Gamma"}));

    for (int left = 1; left >= 0; --left) {
        ASSERT_TRUE(NextTick(&dialog));
        QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.TemplateList()->count(), left);
    }
    ASSERT_TRUE(NextTick(&dialog));
    EXPECT_EQ(dialog.TemplateList()->currentIndex(), -1);
    EXPECT_FALSE(dialog.DeleteButton()->isVisible());
    EXPECT_TRUE(SectionsOnDisk().empty());
    // The page's values were never touched.
    EXPECT_TRUE(test::SameValues(state.values, antitheft_values{}));
}

TEST_F(TemplateDialogTest, LoadingFillsThePageAndLaysItOutForTheTemplatesSwitch) {
    struct load_case {
        const char* name;
        bool switch_on;
        const char* ac_name;
        const char* primary_dns;  // the box's text: a stored hint is an empty box
        const char* secondary_dns;
        int height;
    };
    const load_case cases[] = {
        {"Alpha", true, "ac-alpha", "8.8.8.8", "", 426},
        {"Gamma", false, "", "", "", 278},
        {"Beta", true, "ac-beta", "", "2001:db8::1", 426},
    };
    CAntiTheftProtectionDlg* page = OpenPage();
    ASSERT_NE(page, nullptr);
    for (const load_case& c : cases) {
        SCOPED_TRACE(c.name);
        page->LockCodeBox()->setText("Lk-9");
        page->ConfirmLockCodeBox()->setText("Lk-9");
        page->AcNameBox()->setText("typed");
        LoadFromPage(page, c.name);
        EXPECT_EQ(page->SwitchOn(), c.switch_on);
        EXPECT_EQ(page->height(), c.height);
        EXPECT_EQ(page->y(), (window_->height() - c.height) / 2);
        EXPECT_EQ(page->AcNameBox()->isVisible(), c.switch_on);
        // The lock code never comes from a template: both boxes are emptied.
        const antitheft_values expected = {
            "", "", c.switch_on, c.ac_name, c.primary_dns, c.secondary_dns};
        EXPECT_TRUE(test::SameValues(page->Values(), expected)) << test::Describe(page->Values());
        EXPECT_EQ(window_->focusWidget(), page->LockCodeBox());
        EXPECT_EQ(page->TemplateName(), c.name);
    }
    // An untouched box shows its hint again.
    EXPECT_TRUE(page->PrimaryDnsBox()->IsHintShowing());
}

TEST_F(TemplateDialogTest, OnlyTheTextOneMeansTheSwitchIsOn) {
    const char* values[] = {"0", "", "yes", "on", " 1x", nullptr};
    std::string file;
    for (size_t i = 0; i < std::size(values); ++i) {
        file += "[T" + std::to_string(i) + "]\nACName=ac\n";
        if (values[i] != nullptr) {
            file += std::string("SwitchOn=") + values[i] + "\n";
        }
    }
    test::WriteTemplateFile(file + "[On]\nACName=ac\nSwitchOn=1\n");
    CAntiTheftProtectionDlg* page = OpenPage();
    ASSERT_NE(page, nullptr);
    for (size_t i = 0; i < std::size(values); ++i) {
        const std::string name = "T" + std::to_string(i);
        LoadFromPage(page, "On");
        ASSERT_TRUE(page->SwitchOn());
        LoadFromPage(page, name.c_str());
        EXPECT_EQ(page->TemplateName(), name);
        EXPECT_FALSE(page->SwitchOn()) << (values[i] ? values[i] : "(missing)");
    }
}

TEST_F(TemplateDialogTest, CancelAndLoadWithoutASelectionLeaveThePageAsItWas) {
    CAntiTheftProtectionDlg* page = OpenPage();
    ASSERT_NE(page, nullptr);
    const antitheft_values typed = {"Lk-9", "Lk-9", true, "ac-typed", "1.1.1.1", ""};
    page->LockCodeBox()->setText("Lk-9");
    page->ConfirmLockCodeBox()->setText("Lk-9");
    page->AcNameBox()->setText("ac-typed");
    page->PrimaryDnsBox()->setText("1.1.1.1");

    LoadFromPage(page, "Gamma", false);
    EXPECT_TRUE(test::SameValues(page->Values(), typed)) << test::Describe(page->Values());
    EXPECT_TRUE(page->isVisible());
    EXPECT_EQ(page->height(), 426);
    EXPECT_EQ(page->TemplateName(), "");

    // Load with nothing picked would otherwise empty the page and switch it off.
    test::note_seen seen;
    test::OnNextModal<CLoadTemplateDlg>([&seen](CLoadTemplateDlg* dialog) {
        test::AnswerNextNote(kNoteOk, &seen);
        QTest::mouseClick(dialog->LoadButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog->isVisible());
        QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
    });
    QTest::mouseClick(page->LoadTemplateButton(), Qt::LeftButton);
    EXPECT_EQ(seen.text, "Please select a template!");
    EXPECT_TRUE(test::SameValues(page->Values(), typed)) << test::Describe(page->Values());
}

TEST_F(TemplateDialogTest, ATemplateTooLongForItsBoxIsNamedWhenItIsLoaded) {
    test::WriteTemplateFile("[Long]\nACName=" + std::string(40, 'a') + "\nSwitchOn=1\n");
    CAntiTheftProtectionDlg* page = OpenPage();
    ASSERT_NE(page, nullptr);
    test::note_seen seen;
    test::AnswerNextNote(kNoteOk, &seen);
    LoadFromPage(page, "Long");
    EXPECT_EQ(seen.text, "The AC Name can have at most 32 characters!");
    EXPECT_EQ(window_->focusWidget(), page->AcNameBox());
}

TEST_F(TemplateDialogTest, AMissingOrBrokenFileIsReportedAndListsNothing) {
    struct file_case {
        const char* name;
        std::optional<std::string> content;  // none: no file at all
        std::string message;
    };
    const file_case cases[] = {
        {"missing", std::nullopt, "Cannot open file: " + test::TemplateFile()},
        {"duplicate section", "[A]\nACName=x\n[B]\n[A]\nSwitchOn=1\n",
         "Duplicate section \"A\" found at line 4"},
    };
    for (const file_case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.content.has_value()) {
            test::WriteTemplateFile(*c.content);
        } else {
            test::RemoveTemplateFile();
        }
        antitheft_page_stu state;
        test::note_seen seen;
        test::AnswerNextNote(kNoteOk, &seen);
        CLoadTemplateDlg load(test::TemplateFile(), &state);
        load.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return seen.shown; }, 20000));
        EXPECT_EQ(seen.text.toStdString(), c.message);
        EXPECT_EQ(load.TemplateList()->count(), 0);

        seen = {};
        test::AnswerNextNote(kNoteOk, &seen);
        CSaveTemplateDlg save(test::TemplateFile(), antitheft_values{});
        ASSERT_TRUE(test::ShowActive(&save));
        QTest::keyClicks(save.NameBox(), "Office");
        QTest::mouseClick(save.SaveButton(), Qt::LeftButton);
        EXPECT_EQ(seen.text.toStdString(), c.message);
        EXPECT_TRUE(save.isVisible());
        EXPECT_EQ(save.focusWidget(), save.NameBox());
        EXPECT_EQ(test::ReadTemplateFile(), c.content.value_or(""));
    }
}

TEST_F(TemplateDialogTest, SaveRefusesAnEmptyOrTakenNameAndKeepsTheDialogOpen) {
    struct save_case {
        const char* typed;
        const char* message;  // null: saved
        const char* box_after;
    };
    const save_case cases[] = {
        {"", "Please enter the Template Name!", ""},
        {"Beta", "The name Beta has already exists.Please re-enter!", ""},
        // Names are compared exactly: another case is another template.
        {"beta", nullptr, nullptr},
    };
    for (const save_case& c : cases) {
        SCOPED_TRACE(c.typed);
        CSaveTemplateDlg dialog(test::TemplateFile(), antitheft_values{});
        ASSERT_TRUE(test::ShowActive(&dialog));
        EXPECT_EQ(dialog.size(), QSize(420, 152));
        EXPECT_EQ(dialog.focusWidget(), dialog.NameBox());
        QTest::keyClicks(dialog.NameBox(), c.typed);
        test::note_seen seen;
        if (c.message != nullptr) {
            test::AnswerNextNote(kNoteOk, &seen);
        }
        QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
        if (c.message == nullptr) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_FALSE(dialog.isVisible());
            continue;
        }
        EXPECT_EQ(seen.title, "Note");
        EXPECT_EQ(seen.text, QString::fromUtf8(c.message));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.NameBox()->text(), QString::fromUtf8(c.box_after));
        EXPECT_EQ(dialog.focusWidget(), dialog.NameBox());
    }
    EXPECT_EQ(SectionsOnDisk(), (std::vector<std::string>{"Alpha", "Beta", "Gamma", "beta"}));
}

TEST_F(TemplateDialogTest, SavedValuesComeBackWhenTheTemplateIsLoaded) {
    CAntiTheftProtectionDlg* page = OpenPage();
    ASSERT_NE(page, nullptr);
    QTest::keyClicks(page->LockCodeBox(), "Lk-9");
    QTest::keyClicks(page->AcNameBox(), "ac-site");
    QTest::keyClicks(page->PrimaryDnsBox(), "9.9.9.9");
    SaveFromPage(page, "Site");
    EXPECT_TRUE(page->isVisible());
    EXPECT_EQ(window_->focusWidget(), page->LockCodeBox());
    // An untouched DNS box is stored as its hint, as template files have it.
    IniDocument document;
    ASSERT_TRUE(document.Load(test::TemplateFile()));
    EXPECT_EQ(document.GetValue("Site", "ACName", "?"), "ac-site");
    EXPECT_EQ(document.GetValue("Site", "PrimaryDns", "?"), "9.9.9.9");
    EXPECT_EQ(document.GetValue("Site", "SecondaryDns", "?"), "e.g. 8.8.8.8");
    EXPECT_EQ(document.GetValue("Site", "SwitchOn", "?"), "1");
    // Saving is no loading: the page still remembers no template.
    EXPECT_EQ(page->TemplateName(), "");

    // Switched off, only the switch is kept, whatever the hidden boxes hold.
    QTest::mouseClick(page->SwitchButton(), Qt::LeftButton);
    SaveFromPage(page, "Off");
    ASSERT_TRUE(document.Load(test::TemplateFile()));
    EXPECT_EQ(document.GetValue("Off", "ACName", "?"), "");
    EXPECT_EQ(document.GetValue("Off", "PrimaryDns", "?"), "");
    EXPECT_EQ(document.GetValue("Off", "SecondaryDns", "?"), "");
    EXPECT_EQ(document.GetValue("Off", "SwitchOn", "?"), "0");
    EXPECT_EQ(test::ReadTemplateFile().find("Lk-9"), std::string::npos);

    page->AcNameBox()->setText("changed");
    page->PrimaryDnsBox()->setText("1.1.1.1");
    LoadFromPage(page, "Site");
    const antitheft_values expected = {"", "", true, "ac-site", "9.9.9.9", ""};
    EXPECT_TRUE(test::SameValues(page->Values(), expected)) << test::Describe(page->Values());
    EXPECT_EQ(page->height(), 426);
}

TEST_F(TemplateDialogTest, EnterAndEscapeCloseNeitherDialog) {
    antitheft_page_stu state;
    CLoadTemplateDlg load(test::TemplateFile(), &state);
    CSaveTemplateDlg save(test::TemplateFile(), antitheft_values{});
    for (QDialog* dialog : std::initializer_list<QDialog*>{&load, &save}) {
        ASSERT_TRUE(test::ShowActive(dialog));
        QWidget* focus = dialog == &save ? static_cast<QWidget*>(save.NameBox())
                                         : static_cast<QWidget*>(load.TemplateList());
        focus->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(focus, key);
            EXPECT_TRUE(dialog->isVisible()) << dialog->objectName().toStdString() << " " << key;
        }
        dialog->hide();
    }
    EXPECT_EQ(SectionsOnDisk(), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
}

TEST_F(TemplateDialogTest, TheDialogsNameTheirListAndBoxAfterTheirLabels) {
    for (unsigned lcid : {kEnglishLcid, 2052u}) {
        InitLanguage(test::StageFolder(), lcid);
        antitheft_page_stu state;
        CLoadTemplateDlg load(test::TemplateFile(), &state);
        CSaveTemplateDlg save(test::TemplateFile(), antitheft_values{});
        const bool chinese = lcid != kEnglishLcid;
        EXPECT_EQ(
            QAccessible::queryAccessibleInterface(load.TemplateList())->text(QAccessible::Name),
            chinese ? QString::fromUtf8("选择模板：") : QString("Select Template:"));
        EXPECT_EQ(QAccessible::queryAccessibleInterface(save.NameBox())->text(QAccessible::Name),
                  chinese ? QString::fromUtf8("模板名称：") : QString("Template Name:"));
        EXPECT_EQ(load.TitleLabel()->text(),
                  chinese ? QString::fromUtf8("加载模板") : QString("Load Template"));
        EXPECT_EQ(save.TitleLabel()->text(),
                  chinese ? QString::fromUtf8("保存模板") : QString("Save Template"));
    }
    InitLanguage(test::StageFolder(), kEnglishLcid);
}

}  // namespace
}  // namespace plindar
