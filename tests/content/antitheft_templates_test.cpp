// Tests of the anti-theft templates: what saving writes and refuses, and how the load
// dialog lists, loads and deletes.
#include "content/antitheft_templates.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace plindar {
namespace {

antitheft_values PageValues(bool enable, const std::string& ac_name, const std::string& dns1,
                            const std::string& dns2) {
    antitheft_values values;
    values.lock_code = "secret";
    values.confirm_lock_code = "secret";
    values.enable = enable;
    values.ac_name = ac_name;
    values.primary_dns = dns1;
    values.secondary_dns = dns2;
    return values;
}

class AntiTheftTemplatesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(folder_.Path() + "IniTemplate");
        Write("");
    }

    void Write(const std::string& bytes) {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
    }

    std::string File() const { return test::ReadWholeFile(path_); }

    test::TempFolder folder_;
    const std::string path_ = TemplateFilePath(folder_.Path());
};

TEST_F(AntiTheftTemplatesTest, TemplateFileLivesInTheProgramFolder) {
    EXPECT_EQ(TemplateFilePath("/opt/plindar/"), "/opt/plindar/IniTemplate/Config.ini");
}

TEST_F(AntiTheftTemplatesTest, SaveWritesTheFourKeysOfASection) {
    template_save_result_stu result =
        SaveTemplate(path_, "Office", PageValues(true, "ac-1", "8.8.8.8", kDnsPlaceholder));
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(result.message, "");
    result = SaveTemplate(path_, "Depot", PageValues(false, "hidden", "1.1.1.1", "2.2.2.2"));
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(File(),
              "[Depot]\r\nACName=\r\nPrimaryDns=\r\nSecondaryDns=\r\nSwitchOn=0\r\n\r\n"
              "[Office]\r\nACName=ac-1\r\nPrimaryDns=8.8.8.8\r\nSecondaryDns=e.g. 8.8.8.8\r\n"
              "SwitchOn=1\r\n\r\n");
}

TEST_F(AntiTheftTemplatesTest, SaveRefusalsLeaveTheFileAsItWas) {
    ASSERT_TRUE(SaveTemplate(path_, "Office", PageValues(true, "a", "b", "c")).saved);
    const std::string before = File();

    template_save_result_stu result = SaveTemplate(path_, "", PageValues(true, "a", "b", "c"));
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.message, "Please enter the Template Name!");
    EXPECT_FALSE(result.clear_name_box);

    result = SaveTemplate(path_, "Office", PageValues(false, "", "", ""));
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.message, "The name Office has already exists.Please re-enter!");
    EXPECT_TRUE(result.clear_name_box);

    result = SaveTemplate(path_, "Two\nLines", PageValues(true, "a", "b", "c"));
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.message, "Line breaks cannot be stored in a template!");
    result = SaveTemplate(path_, "Injected", PageValues(true, "a\r\n[Office]", "b", "c"));
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(File(), before);

    // A duplicate section makes the file unreadable, so nothing can be added to it.
    Write(before + "[Office]\r\n");
    result = SaveTemplate(path_, "New", PageValues(true, "a", "b", "c"));
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.message, "Duplicate section \"Office\" found at line 7");
}

TEST_F(AntiTheftTemplatesTest, SaveIntoAMissingFileShowsTheLoadError) {
    std::filesystem::remove(path_);
    template_save_result_stu result =
        SaveTemplate(path_, "Office", PageValues(true, "a", "b", "c"));
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.message, "Cannot open file: " + path_);
    EXPECT_FALSE(test::FileExists(path_));
}

TEST_F(AntiTheftTemplatesTest, NamesDifferingInCaseAreDifferentTemplates) {
    ASSERT_TRUE(SaveTemplate(path_, "office", PageValues(true, "lower", "", "")).saved);
    ASSERT_TRUE(SaveTemplate(path_, "Office", PageValues(true, "upper", "", "")).saved);
    CTemplateLoadDlgModel dialog(path_);
    EXPECT_EQ(dialog.ListTemplates(""), "");
    EXPECT_EQ(dialog.Names(), (std::vector<std::string>{"Office", "office"}));
}

TEST_F(AntiTheftTemplatesTest, ListingPreselectsTheRememberedName) {
    Write("[b]\n[A]\n[a]\n");
    CTemplateLoadDlgModel dialog(path_);
    EXPECT_EQ(dialog.ListTemplates("a"), "");
    EXPECT_EQ(dialog.Names(), (std::vector<std::string>{"A", "a", "b"}));
    EXPECT_EQ(dialog.Selected(), 1u);
    EXPECT_EQ(dialog.ListTemplates("c"), "");
    EXPECT_EQ(dialog.Selected(), std::nullopt);

    // Every listing reads the file afresh.
    Write("[z]\n");
    EXPECT_EQ(dialog.ListTemplates(""), "");
    EXPECT_EQ(dialog.Names(), std::vector<std::string>{"z"});
}

TEST_F(AntiTheftTemplatesTest, ListingErrorsLeaveTheListEmpty) {
    Write("[A]\n[B]\n[A]\n");
    CTemplateLoadDlgModel dialog(path_);
    EXPECT_EQ(dialog.ListTemplates("A"), "Duplicate section \"A\" found at line 3");
    EXPECT_TRUE(dialog.Names().empty());
    EXPECT_EQ(dialog.Selected(), std::nullopt);

    std::filesystem::remove(path_);
    EXPECT_EQ(dialog.ListTemplates(""), "Cannot open file: " + path_);
    EXPECT_TRUE(dialog.Names().empty());
    EXPECT_FALSE(dialog.DeleteTemplate());
}

TEST_F(AntiTheftTemplatesTest, LoadFillsThePageAndEmptiesTheLockCodes) {
    ASSERT_TRUE(
        SaveTemplate(path_, "On", PageValues(true, "ac", "8.8.8.8", kDnsPlaceholder)).saved);
    ASSERT_TRUE(SaveTemplate(path_, "Off", PageValues(false, "ac", "1.1.1.1", "2.2.2.2")).saved);
    CTemplateLoadDlgModel dialog(path_);
    ASSERT_EQ(dialog.ListTemplates(""), "");
    ASSERT_EQ(dialog.Names(), (std::vector<std::string>{"Off", "On"}));

    antitheft_page_stu page;
    page.values = PageValues(false, "old", "old", "old");
    dialog.Select(1);
    dialog.LoadTemplate(&page);
    EXPECT_TRUE(page.values.enable);
    EXPECT_EQ(page.values.lock_code, "");
    EXPECT_EQ(page.values.confirm_lock_code, "");
    EXPECT_EQ(page.values.ac_name, "ac");
    EXPECT_EQ(page.values.primary_dns, "8.8.8.8");
    EXPECT_EQ(page.values.secondary_dns, kDnsPlaceholder);
    EXPECT_EQ(page.template_name, "On");

    page.values.lock_code = "typed again";
    dialog.Select(0);
    dialog.LoadTemplate(&page);
    EXPECT_FALSE(page.values.enable);
    EXPECT_EQ(page.values.lock_code, "");
    EXPECT_EQ(page.values.ac_name, "");
    EXPECT_EQ(page.values.primary_dns, "");
    EXPECT_EQ(page.values.secondary_dns, "");
    EXPECT_EQ(page.template_name, "Off");
}

TEST_F(AntiTheftTemplatesTest, SwitchIsOnOnlyForExactlyOne) {
    Write(
        "[missing]\nACName=x\n"
        "[empty]\nSwitchOn=\n"
        "[zero]\nSwitchOn=0\n"
        "[word]\nSwitchOn=yes\n"
        "[eleven]\nSwitchOn=11\n"
        "[one]\nSwitchOn = 1 \n");
    CTemplateLoadDlgModel dialog(path_);
    ASSERT_EQ(dialog.ListTemplates(""), "");
    for (size_t i = 0; i < dialog.Names().size(); ++i) {
        antitheft_page_stu page;
        page.values.enable = true;
        dialog.Select(i);
        dialog.LoadTemplate(&page);
        EXPECT_EQ(page.values.enable, dialog.Names()[i] == "one") << dialog.Names()[i];
    }
}

TEST_F(AntiTheftTemplatesTest, LoadWithoutSelectionEmptiesThePageAndKeepsTheName) {
    Write("[A]\nACName=x\nSwitchOn=1\n");
    CTemplateLoadDlgModel dialog(path_);
    ASSERT_EQ(dialog.ListTemplates("none"), "");
    antitheft_page_stu page;
    page.values = PageValues(true, "kept?", "kept?", "kept?");
    page.template_name = "previous";
    dialog.LoadTemplate(&page);
    EXPECT_FALSE(page.values.enable);
    EXPECT_EQ(page.values.lock_code, "");
    EXPECT_EQ(page.values.ac_name, "");
    EXPECT_EQ(page.values.primary_dns, "");
    EXPECT_EQ(page.template_name, "previous");
}

TEST_F(AntiTheftTemplatesTest, RememberedNameIsTrimmed) {
    ASSERT_TRUE(SaveTemplate(path_, " Spaced\t", PageValues(true, "a", "", "")).saved);
    CTemplateLoadDlgModel dialog(path_);
    ASSERT_EQ(dialog.ListTemplates(""), "");
    ASSERT_EQ(dialog.Names(), std::vector<std::string>{" Spaced\t"});
    dialog.Select(0);
    antitheft_page_stu page;
    dialog.LoadTemplate(&page);
    EXPECT_EQ(page.template_name, "Spaced");
    EXPECT_EQ(page.values.ac_name, "a");
}

TEST_F(AntiTheftTemplatesTest, DeleteRewritesTheFileAndSelectsTheFirstLeft) {
    for (const char* name : {"A", " B ", "C"}) {
        ASSERT_TRUE(SaveTemplate(path_, name, PageValues(false, "", "", "")).saved);
    }
    CTemplateLoadDlgModel dialog(path_);
    ASSERT_EQ(dialog.ListTemplates("C"), "");
    ASSERT_EQ(dialog.Names(), (std::vector<std::string>{" B ", "A", "C"}));
    ASSERT_EQ(dialog.Selected(), 2u);

    EXPECT_TRUE(dialog.DeleteTemplate());
    EXPECT_EQ(dialog.Names(), (std::vector<std::string>{" B ", "A"}));
    EXPECT_EQ(dialog.Selected(), 0u);
    // A name saved with blanks at its ends goes as well.
    EXPECT_TRUE(dialog.DeleteTemplate());
    EXPECT_EQ(File(), "[A]\r\nACName=\r\nPrimaryDns=\r\nSecondaryDns=\r\nSwitchOn=0\r\n\r\n");

    EXPECT_TRUE(dialog.DeleteTemplate());
    EXPECT_TRUE(dialog.Names().empty());
    EXPECT_EQ(dialog.Selected(), std::nullopt);
    EXPECT_EQ(File(), "");
    EXPECT_FALSE(dialog.DeleteTemplate());

    CTemplateLoadDlgModel reopened(path_);
    EXPECT_EQ(reopened.ListTemplates(""), "");
    EXPECT_TRUE(reopened.Names().empty());
}

}  // namespace
}  // namespace plindar
