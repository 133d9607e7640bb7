// The customization page on its own and on a simulated segment: choices and
// their name buttons, the layout that follows them, the batch sheet's road from
// Edit to Apply, and what a run sends.
#include "ui/customize/customize_page.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>
#include <deque>
#include <filesystem>
#include <fstream>

#include "content/batch_sheet.h"
#include "content/config_xml.h"
#include "protocol/fixed_text.h"
#include "records/language.h"
#include "records/sql_management.h"
#include "ui/controls/color_line.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/customize_test_support.h"
#include "ui/note_dlg.h"
#include "ui/page_test_engine.h"

namespace plindar {
namespace {

namespace fs = std::filesystem;
using test::CountLines;
using test::NoteRecorder;
using test::ReadWholeFile;
using test::sheet_row_values;

constexpr int kWaitMs = 30000;
const QSize kHolderSize(817, 540);

std::vector<std::string> StoredMacs(CSqlManagement& store) {
    std::vector<ap_info_stu> devices;
    int total = 0, successes = 0, failures = 0;
    store.QueryDevices(&devices, &total, &successes, &failures, true, SORT_BY_MAC, "");
    std::vector<std::string> macs;
    for (const ap_info_stu& device : devices) {
        macs.push_back(ReadFixedText(device.mac));
    }
    return macs;
}

std::string WithoutColons(std::string mac) {
    mac.erase(std::remove(mac.begin(), mac.end(), ':'), mac.end());
    return mac;
}

class CustomizePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitLanguage(test::StageFolder(), kEnglishLcid);
        holder_.setFixedSize(kHolderSize);
        MakePage();
        holder_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&holder_));
    }
    void TearDown() override {
        qunsetenv(CBatchSheetOpener::kEditorVariable);
        InitLanguage(test::StageFolder(), kEnglishLcid);
    }

    void MakePage() {
        delete page_;
        page_ = new CDeviceCustomizationDlg(&holder_);
        page_->SetFileChooser([this](QWidget*, const QString& filter) -> std::optional<QString> {
            filters_.push_back(filter);
            if (files_.empty()) {
                return std::nullopt;
            }
            std::optional<QString> answer = files_.front();
            files_.pop_front();
            return answer;
        });
        page_->SetCropRunner([this](const QString& source, QWidget*) {
            crop_sources_.push_back(source);
            visible_during_crop_ = page_->isVisible();
            return crop_answer_;
        });
        // The stand-in programs end at once; that is not a hand-over here.
        page_->SheetOpener()->SetHandOverWindow(std::chrono::milliseconds(0));
        page_->show();
    }

    std::string Folder() const { return program_.Path(); }
    QString WriteConfig(const std::string& name) {
        std::ofstream(Folder() + name, std::ios::binary) << test::kCustomizeConfigXml;
        return QString::fromStdString(Folder() + name);
    }
    QString SmallLogo() {
        return test::WriteSolidPng(Folder(), "small.png", QSize(100, 40), Qt::red);
    }
    QString LargeLogo() {
        return test::WriteSolidPng(Folder(), "large.png", QSize(400, 100), Qt::blue);
    }
    void Click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void Choose(QWidget* select, const QString& file) {
        files_.push_back(file);
        Click(select);
    }

    // The page's editor: a filler that copies `filled` over the sheet.
    void UseSheetFiller(const std::string& filled) {
        std::ofstream(Folder() + "release");
        const std::string script =
            test::WriteSheetFiller(Folder(), filled, Counter(), Folder() + "release");
        qputenv(CBatchSheetOpener::kEditorVariable, QByteArray::fromStdString(script));
    }
    std::string Counter() const { return Folder() + "editor-runs"; }
    bool WaitForEditorRuns(int runs) {
        return QTest::qWaitFor([&] { return CountLines(Counter()) == runs && page_->isEnabled(); },
                               kWaitMs);
    }

    test::ProgramFolderScope program_;
    QWidget holder_;
    CDeviceCustomizationDlg* page_ = nullptr;
    std::deque<QString> files_;
    std::vector<QString> filters_;
    std::vector<QString> crop_sources_;
    std::optional<QString> crop_answer_;
    bool visible_during_crop_ = true;
};

TEST_F(CustomizePageTest, ThePageShrinksBy34ForEachHiddenNameButtonAndStaysCentred) {
    struct layout_case {
        bool logo;
        bool config;
        int height;
        int config_select_top;
        int config_name_top;  // -1: hidden
        int apply_top;
    };
    const layout_case cases[] = {
        {false, false, 256, 136, -1, 220},
        {true, false, 290, 170, -1, 254},
        {false, true, 290, 136, 170, 254},
        {true, true, 324, 170, 204, 288},
    };
    const QString logo = SmallLogo();
    const QString config = WriteConfig("config.xml");
    for (const layout_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "logo " << c.logo << ", config " << c.config);
        page_->DeleteLogo();
        page_->DeleteConfigFile();
        if (c.logo) {
            Choose(page_->LogoSelectButton(), logo);
        }
        if (c.config) {
            Choose(page_->ConfigSelectButton(), config);
        }
        EXPECT_EQ(page_->size(), QSize(420, c.height));
        EXPECT_EQ(page_->pos(), QPoint((817 - 420) / 2, (540 - c.height) / 2));
        EXPECT_EQ(page_->LogoNameButton()->isVisible(), c.logo);
        EXPECT_EQ(page_->ConfigNameButton()->isVisible(), c.config);
        EXPECT_EQ(page_->LogoNameButton()->geometry(), QRect(191, 92, 209, 28));
        EXPECT_EQ(page_->LogoSelectButton()->size(), QSize(99, 28));
        EXPECT_EQ(page_->ConfigSelectButton()->y(), c.config_select_top);
        if (c.config_name_top >= 0) {
            EXPECT_EQ(page_->ConfigNameButton()->geometry(),
                      QRect(191, c.config_name_top, 209, 28));
        }
        EXPECT_EQ(page_->ApplyButton()->y(), c.apply_top);
        EXPECT_LE(page_->ApplyButton()->geometry().bottom(), c.height - 1);
    }
}

TEST_F(CustomizePageTest, CaptionsKeepTheirBlanksAndTheMenusCarryTheirCommands) {
    struct language_case {
        unsigned lcid;
        const char* title;
        const char* select;
        const char* logo_label;
        const char* edit;
        const char* remove;
        const char* formats;
        const char* import;
    };
    const language_case cases[] = {
        {kEnglishLcid, "Device Customization", "          Select", "Logo Customization", "Edit",
         "Delete", "Supported formats: JPG, PNG, JPEG |\nMaximum size: 10KB",
         "Import pre-configured file for batch\ndeployment"},
        {2052, "设备定制", "          选择", "Logo 定制", "编辑", "删除",
         "支持格式：JPG、PNG、JPEG |\n最大大小：10KB", "导入预配置文件，\n用于批量部署"},
    };
    for (const language_case& c : cases) {
        SCOPED_TRACE(c.lcid);
        InitLanguage(test::StageFolder(), c.lcid);
        MakePage();
        EXPECT_EQ(page_->TitleLabel()->text(), QString::fromUtf8(c.title));
        EXPECT_EQ(page_->LogoLabel()->text(), QString::fromUtf8(c.logo_label));
        EXPECT_EQ(page_->LogoSelectButton()->text(), QString::fromUtf8(c.select));
        EXPECT_EQ(page_->ConfigSelectButton()->text(), QString::fromUtf8(c.select));
        // Keys hold the line breaks escaped; the page shows them as line breaks.
        EXPECT_EQ(page_->FormatsNote()->text(), QString::fromUtf8(c.formats));
        EXPECT_EQ(page_->ImportNote()->text(), QString::fromUtf8(c.import));

        struct menu_case {
            QMenu* menu;
            const char* name;
            int edit;
            int remove;
        };
        for (const menu_case& m : {menu_case{page_->LogoMenu(), "menu131", 32786, 32785},
                                   menu_case{page_->ConfigMenu(), "menu134", 32788, 32787}}) {
            EXPECT_EQ(m.menu->objectName(), m.name);
            EXPECT_EQ(m.menu->title(), "Operate");
            page_->LogoNameButton()->setText("      x.png");
            page_->ConfigNameButton()->setText("      x.xml");
            page_->RelayoutPage();
            QWidget* button = m.menu == page_->LogoMenu()
                                  ? static_cast<QWidget*>(page_->LogoNameButton())
                                  : page_->ConfigNameButton();
            emit button->customContextMenuRequested(QPoint(5, 5));
            ASSERT_TRUE(QTest::qWaitFor([&] { return m.menu->isVisible(); }, 5000));
            const QList<QAction*> items = m.menu->actions();
            ASSERT_EQ(items.size(), 2);
            EXPECT_EQ(items[0]->text(), QString::fromUtf8(c.edit));
            EXPECT_EQ(items[0]->data().toInt(), m.edit);
            EXPECT_EQ(items[1]->text(), QString::fromUtf8(c.remove));
            EXPECT_EQ(items[1]->data().toInt(), m.remove);
            m.menu->hide();
        }
    }
    // The look: fonts, colours and the separators.
    EXPECT_EQ(page_->TitleLabel()->TextFont().pixelSize(), 17);
    EXPECT_EQ(page_->TitleLabel()->TextFont().weight(), QFont::DemiBold);
    EXPECT_EQ(page_->TitleLabel()->StateColour(), QColor(68, 68, 79));
    EXPECT_EQ(page_->ConfigLabel()->TextFont().pixelSize(), 17);
    EXPECT_EQ(page_->ConfigLabel()->StateColour(), QColor(68, 68, 79));
    EXPECT_EQ(page_->ImportNote()->TextFont().pixelSize(), 16);
    EXPECT_EQ(page_->ImportNote()->StateColour(), QColor(181, 181, 190));
    EXPECT_EQ(page_->TopLine()->Colour(), QColor(235, 237, 237));
    EXPECT_EQ(page_->BottomLine()->Colour(), QColor(235, 237, 237));
}

TEST_F(CustomizePageTest, MenuCommandsDeleteTheChoiceAndDeletingTheFileForgetsTheSheet) {
    Choose(page_->LogoSelectButton(), SmallLogo());
    Choose(page_->ConfigSelectButton(), WriteConfig("config.xml"));
    ASSERT_TRUE(page_->LogoChosen() && page_->ConfigChosen());

    page_->LogoMenu()->actions()[1]->trigger();  // Delete
    EXPECT_FALSE(page_->LogoChosen());
    EXPECT_EQ(page_->height(), 290);

    // Edit from the menu builds the sheet; Delete then forgets it too.
    UseSheetFiller(Folder() + "missing.xls");
    NoteRecorder notes;
    page_->ConfigMenu()->actions()[0]->trigger();  // Edit
    ASSERT_TRUE(WaitForEditorRuns(0) && !page_->BatchSheetPath().empty());
    page_->ConfigMenu()->actions()[1]->trigger();  // Delete
    EXPECT_FALSE(page_->ConfigChosen());
    EXPECT_TRUE(page_->BatchSheetPath().empty());
    EXPECT_EQ(page_->height(), 256);
}

TEST_F(CustomizePageTest, AnApplyAfterACancelledCropAndNoConfigurationAsksForAChoice) {
    const QString large = LargeLogo();
    Choose(page_->LogoSelectButton(), large);
    ASSERT_EQ(crop_sources_, std::vector<QString>{large});
    EXPECT_FALSE(visible_during_crop_);
    EXPECT_TRUE(page_->isVisible());
    EXPECT_FALSE(page_->LogoChosen());
    EXPECT_FALSE(page_->LogoNameButton()->isVisible());

    NoteRecorder notes;
    Click(page_->ApplyButton());
    EXPECT_EQ(notes.Texts(), std::vector<QString>{"Please choose xml or logo info!"});
    EXPECT_EQ(notes.Seen()[0].title, "Note");
    EXPECT_FALSE(notes.Seen()[0].cancel_visible);
    // The image filter, translated, in Qt's form.
    EXPECT_EQ(filters_.at(0),
              "Image Files (*.png *.jpg *.jpeg *.bmp);;PNG Files (*.png);;"
              "JPEG Files (*.jpg *.jpeg);;BMP Files (*.bmp)");
}

TEST_F(CustomizePageTest, TheLogoNameFollowsTheCropAndAFileThatIsNoImageIsRefused) {
    // A logo that fits is taken as it is.
    const QString small = SmallLogo();
    Choose(page_->LogoSelectButton(), small);
    EXPECT_TRUE(crop_sources_.empty());
    EXPECT_EQ(page_->LogoPath(), small);
    EXPECT_EQ(page_->LogoNameButton()->text(), "      small.png");
    EXPECT_EQ(page_->LogoNameButton()->toolTip(), small);

    // A larger one is cropped; Edit crops the current logo again.
    crop_answer_ = QString::fromStdString(Folder() + "cropped-10-11-12.png");
    Choose(page_->LogoSelectButton(), LargeLogo());
    EXPECT_EQ(page_->LogoPath(), *crop_answer_);
    EXPECT_EQ(page_->LogoNameButton()->text(), "      cropped-10-11-12.png");
    EXPECT_EQ(page_->LogoNameButton()->toolTip(), *crop_answer_);
    crop_answer_.reset();
    Click(page_->LogoNameButton());
    EXPECT_EQ(crop_sources_.back(), QString::fromStdString(Folder() + "cropped-10-11-12.png"));
    EXPECT_FALSE(page_->LogoChosen());
    EXPECT_TRUE(page_->isVisible());

    // Text dressed as an image would reach the devices as their logo.
    Choose(page_->LogoSelectButton(), small);
    const QString fake = test::WriteBytes(Folder(), "fake.png", "not an image at all");
    NoteRecorder notes;
    Choose(page_->LogoSelectButton(), fake);
    ASSERT_EQ(notes.Seen().size(), 1u);
    EXPECT_EQ(page_->LogoPath(), small);
    EXPECT_EQ(page_->LogoNameButton()->text(), "      small.png");
}

TEST_F(CustomizePageTest, EditRefusesAnUpperCaseXmlExtensionThatApplyWouldSend) {
    NoteRecorder notes({kNoteCancel});
    page_->EditConfigFile();
    Choose(page_->ConfigSelectButton(), WriteConfig("CONFIG.XML"));
    EXPECT_EQ(filters_.back(), "Files (*.xml)");
    Click(page_->ConfigNameButton());
    EXPECT_TRUE(page_->BatchSheetPath().empty());
    EXPECT_FALSE(fs::exists(Folder() + kBatchSheetFolder));
    Click(page_->ApplyButton());  // answered Cancel
    EXPECT_EQ(notes.Texts(),
              (std::vector<QString>{"Please select the xml file", "Modify file is not .xml file!",
                                    "Are you sure you want to submit configration?"}));
    EXPECT_EQ(page_->RunMode(), kRunConfig);
}

// On a simulated segment whose devices keep every file they receive.
class CustomizeSendTest : public CustomizePageTest {
protected:
    void StartEngine(uint32_t devices) {
        sim_device_options options;
        options.count = devices;
        options.store_dir = Folder() + "received";
        engine_ = std::make_unique<test::CPageTestEngine>(options);
        ASSERT_TRUE(engine_->ScanNow());
        macs_ = StoredMacs(engine_->Store());
        ASSERT_EQ(macs_.size(), devices);
    }
    std::string Received(const std::string& mac, const char* what) {
        const std::string path = Folder() + "received/" + WithoutColons(mac) + "/" + what;
        return fs::exists(path) ? ReadWholeFile(path) : std::string();
    }
    bool WaitForReceived(const std::vector<std::string>& macs, const char* what) {
        return QTest::qWaitFor(
            [&] {
                for (const std::string& mac : macs) {
                    if (Received(mac, what).empty()) {
                        return false;
                    }
                }
                return true;
            },
            kWaitMs);
    }
    bool WirelessColumns() {
        ap_info_stu first{};
        engine_->Store().GetDeviceByMac(macs_.front(), &first);
        return DecideWirelessColumns(first);
    }
    custom_value_stu Template() {
        custom_value_stu templ{};
        EXPECT_TRUE(ParseTemplateXml(Folder() + "config.xml", &templ));
        return templ;
    }
    static sheet_row_values Row(const std::string& tag) {
        return {{BATCH_FIELD_LOID, "loid-" + tag},
                {BATCH_FIELD_LOGIN_PASSWORD, "login-" + tag},
                {BATCH_FIELD_SSID_2_4G, "ssid-" + tag},
                {BATCH_FIELD_WLAN_PSK_2_4G, "psk-" + tag + "-2345678"}};
    }

    std::unique_ptr<test::CPageTestEngine> engine_;
    std::vector<std::string> macs_;
};

TEST_F(CustomizeSendTest, ConfigurationOnlyWithoutEditSendsEveryDeviceTheSameFile) {
    StartEngine(3);
    page_->SetSelectedDevices(macs_);
    Choose(page_->ConfigSelectButton(), WriteConfig("config.xml"));
    NoteRecorder notes;
    Click(page_->ApplyButton());
    ASSERT_TRUE(WaitForReceived(macs_, "para.1"));
    EXPECT_EQ(notes.Texts(), std::vector<QString>{"Are you sure you want to submit configration?"});
    for (const std::string& mac : macs_) {
        EXPECT_EQ(Received(mac, "para.1"), test::kCustomizeConfigXml) << mac;
        EXPECT_EQ(Received(mac, "logo.1"), "") << mac;
    }
    EXPECT_FALSE(fs::exists(Folder() + kBatchSheetFolder));
    EXPECT_TRUE(page_->DeviceRecords().empty());
}

TEST_F(CustomizeSendTest, AValueErrorShowsOneMessageReopensTheSheetAndSendsNothing) {
    StartEngine(2);
    page_->SetSelectedDevices(macs_);
    Choose(page_->ConfigSelectButton(), WriteConfig("config.xml"));
    sheet_row_values broken = Row("B");
    broken[BATCH_FIELD_LOGIN_PASSWORD] = "has space";
    ASSERT_TRUE(test::WriteFilledSheet(Folder() + "filled.xls", Template(), WirelessColumns(),
                                       macs_, {Row("A"), broken}));
    UseSheetFiller(Folder() + "filled.xls");
    NoteRecorder notes;
    Click(page_->ConfigNameButton());
    ASSERT_TRUE(WaitForEditorRuns(1));
    Click(page_->ApplyButton());
    ASSERT_TRUE(WaitForEditorRuns(2));
    const std::vector<QString> texts = notes.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "Are you sure you want to modify configration?");
    EXPECT_EQ(texts[1], "Are you sure you want to submit configration?");
    EXPECT_TRUE(texts[2].startsWith(
        QString::fromStdString("The MAC:" + macs_[1] + " loginPassword is invalid.")))
        << texts[2];
    EXPECT_FALSE(fs::exists(Folder() + kModifyXmlFolder));
    EXPECT_FALSE(fs::exists(Folder() + "received"));
    for (const std::string& mac : macs_) {
        ap_info_stu row{};
        ASSERT_TRUE(engine_->Store().GetDeviceByMac(mac, &row));
        EXPECT_EQ(row.para_status, 0) << mac;
    }
}

TEST_F(CustomizeSendTest, ASecondOpeningKeepsTheChoicesAndMatchesSheetRowsByPosition) {
    StartEngine(4);
    const std::vector<std::string> first = {macs_[0], macs_[1]};
    const std::vector<std::string> second = {macs_[2], macs_[3]};
    page_->SetSelectedDevices(first);
    const QString logo = SmallLogo();
    Choose(page_->LogoSelectButton(), logo);
    Choose(page_->ConfigSelectButton(), WriteConfig("config.xml"));
    ASSERT_TRUE(test::WriteFilledSheet(Folder() + "filled.xls", Template(), WirelessColumns(),
                                       first, {Row("A"), Row("B")}));
    UseSheetFiller(Folder() + "filled.xls");
    NoteRecorder notes;
    Click(page_->ConfigNameButton());
    ASSERT_TRUE(WaitForEditorRuns(1));
    const std::string sheet = page_->BatchSheetPath();
    ASSERT_FALSE(sheet.empty());

    page_->SetSelectedDevices(second);
    EXPECT_EQ(page_->SelectedDevices(), second);
    EXPECT_EQ(page_->LogoPath(), logo);
    EXPECT_EQ(page_->ConfigPath(), QString::fromStdString(Folder() + "config.xml"));
    EXPECT_EQ(page_->BatchSheetPath(), sheet);
    EXPECT_TRUE(page_->LogoChosen() && page_->ConfigChosen());

    Click(page_->ApplyButton());
    ASSERT_TRUE(WaitForReceived(second, "para.1"));
    ASSERT_TRUE(WaitForReceived(second, "logo.1"));
    EXPECT_EQ(notes.Texts().back(), "Are you sure you want to submit logo and configration?");
    const std::string a = Received(second[0], "para.1");
    const std::string b = Received(second[1], "para.1");
    EXPECT_NE(a.find("Value=\"loid-A\""), std::string::npos) << a;
    EXPECT_NE(b.find("Value=\"loid-B\""), std::string::npos) << b;
    EXPECT_EQ(a.find("loid-B"), std::string::npos);
    EXPECT_EQ(Received(second[0], "logo.1"), ReadWholeFile(logo.toStdString()));
    EXPECT_EQ(Received(first[0], "para.1"), "");
    EXPECT_EQ(CountLines(Counter()), 1);
}

}  // namespace
}  // namespace plindar
