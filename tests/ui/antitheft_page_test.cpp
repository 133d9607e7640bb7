// The anti-theft page in the main window, driven as the operator drives it: the two
// layouts of the switch, the checks with their messages and focus, the
// confirmation, the hand-over to the device list with the devices' results, and
// values that survive leaving the page.
#include "ui/antitheft/antitheft_page.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QTest>
#include <filesystem>
#include <map>
#include <memory>

#include "app/main_window.h"
#include "protocol/mac_text.h"
#include "records/device_result.h"
#include "records/language.h"
#include "records/program_folder.h"
#include "support/temp_folder.h"
#include "ui/antitheft_test_support.h"
#include "ui/controls/color_line.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_edit_gdiplus.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/page_test_engine.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

constexpr unsigned kChineseLcid = 2052;
constexpr int kWaitMs = 20000;

// The device list as far as this page is concerned: it records what it is sent.
class RecordingDevicesPage : public CPage {
public:
    RecordingDevicesPage(PageId id, QWidget* parent) : CPage(id, QSize(817, 492), parent) {}
    void OnPageMessage(int message, QObject* sender) override {
        messages.push_back({message, sender});
    }
    struct received {
        int message;
        QObject* sender;
    };
    std::vector<received> messages;
};

class AntiTheftPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetProgramFolder(), test::AntiTheftHome());
        InitLanguage(test::StageFolder(), kEnglishLcid);
        OpenWindow();
    }
    void TearDown() override {
        window_.reset();
        InitLanguage(test::StageFolder(), kEnglishLcid);
    }

    void OpenWindow() {
        window_.reset();
        window_ = std::make_unique<CApplicationDlg>(
            TrayMode::kNoTray, [this](PageId id, QWidget* parent) -> CPage* {
                if (id == PAGE_DEVICES) {
                    return devices_ = new RecordingDevicesPage(id, parent);
                }
                return CreatePage(id, parent);
            });
        ASSERT_TRUE(test::ShowActive(window_.get()));
        page_ = qobject_cast<CAntiTheftProtectionDlg*>(window_->Page(PAGE_ANTITHEFT));
        ASSERT_NE(page_, nullptr);
        window_->ShowPage(PAGE_ANTITHEFT);
    }

    static void Type(CTEditGdiplus* box, const QString& text) {
        box->clear();
        QTest::keyClicks(box, text);
    }

    // Fills every box by typing; the switch is left as it is.
    void TypeValues(const antitheft_values& values) {
        Type(page_->LockCodeBox(), QString::fromStdString(values.lock_code));
        Type(page_->ConfirmLockCodeBox(), QString::fromStdString(values.confirm_lock_code));
        Type(page_->AcNameBox(), QString::fromStdString(values.ac_name));
        Type(page_->PrimaryDnsBox(), QString::fromStdString(values.primary_dns));
        Type(page_->SecondaryDnsBox(), QString::fromStdString(values.secondary_dns));
    }

    void SetSwitch(bool on) {
        if (page_->SwitchOn() != on) {
            QTest::mouseClick(page_->SwitchButton(), Qt::LeftButton);
        }
        ASSERT_EQ(page_->SwitchOn(), on);
    }

    // Clicks Apply and answers the first message it shows.
    test::note_seen ApplyAndAnswer(bool ok) {
        test::note_seen seen;
        test::AnswerNextNote(ok ? kNoteOk : kNoteCancel, &seen);
        QTest::mouseClick(page_->ApplyButton(), Qt::LeftButton);
        return seen;
    }

    QWidget* Focused() const { return window_->focusWidget(); }

    std::unique_ptr<CApplicationDlg> window_;
    RecordingDevicesPage* devices_ = nullptr;
    CAntiTheftProtectionDlg* page_ = nullptr;
};

// The anti-theft status the store holds for a device, or -1 when it has no row.
int AntiTheftStatus(CSqlManagement& store, const std::string& mac) {
    std::vector<ap_info_stu> rows;
    int total = 0, ok = 0, failed = 0;
    store.QueryDevices(&rows, &total, &ok, &failed, true, SORT_BY_MAC, "");
    for (const ap_info_stu& row : rows) {
        // The stored MAC may carry padding after its 17 characters.
        if (std::string(row.mac).rfind(mac, 0) == 0) {
            return row.antitheft_status;
        }
    }
    return -1;
}

const antitheft_values kGoodValues = {"Lk-9", "Lk-9", true, "ac-1", "", ""};

TEST_F(AntiTheftPageTest, TheSwitchShrinksThePageToItsLockCodeAndGrowsItBackWithTheRows) {
    const QRect full = page_->geometry();
    EXPECT_EQ(full, QRect(198, 57, 420, 426));
    EXPECT_TRUE(page_->SwitchOn());
    for (QWidget* control : page_->SwitchedRows()) {
        EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
    }
    const QRect confirm_box = page_->ConfirmLockCodeBox()->geometry();
    const QRect help = page_->HelpText()->geometry();
    const QRect switch_button = page_->SwitchButton()->geometry();
    const QRect apply = page_->ApplyButton()->geometry();
    const QRect cancel = page_->CancelButton()->geometry();
    const QRect line = page_->BottomLine()->geometry();
    const antitheft_values typed = {"Lk-9", "Lk-9", true, "ac-1", "8.8.4.4", "1.1.1.1"};
    TypeValues(typed);

    QTest::mouseClick(page_->SwitchButton(), Qt::LeftButton);
    EXPECT_FALSE(page_->SwitchOn());
    EXPECT_EQ(page_->size(), QSize(420, 278));
    // Centred on the window again.
    EXPECT_EQ(page_->pos(), QPoint((817 - 420) / 2, (540 - 278) / 2));
    for (QWidget* control : page_->SwitchedRows()) {
        EXPECT_FALSE(control->isVisible()) << control->objectName().toStdString();
    }
    for (QWidget* control : std::initializer_list<QWidget*>{
             page_->LockCodeBox(), page_->HelpText(), page_->SwitchLabel(), page_->SwitchButton(),
             page_->EnableLabel(), page_->ApplyButton(), page_->CancelButton(),
             page_->LoadTemplateButton(), page_->SaveTemplateButton()}) {
        EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
    }
    // The help text takes the Confirm Lock Code box's place, the switch row moves up
    // and the bottom band keeps its distance from the lower edge.
    EXPECT_EQ(page_->HelpText()->y(), confirm_box.y());
    const int help_rise = help.y() - page_->HelpText()->y();
    EXPECT_EQ(page_->SwitchButton()->y(), switch_button.y() - help_rise);
    EXPECT_EQ(page_->SwitchLabel()->y(), page_->SwitchButton()->y());
    EXPECT_EQ(page_->EnableLabel()->y(), page_->SwitchButton()->y());
    EXPECT_EQ(426 - apply.bottom(), 278 - page_->ApplyButton()->geometry().bottom());
    EXPECT_EQ(426 - cancel.bottom(), 278 - page_->CancelButton()->geometry().bottom());
    EXPECT_EQ(426 - line.bottom(), 278 - page_->BottomLine()->geometry().bottom());
    EXPECT_LT(page_->SwitchButton()->geometry().bottom(), page_->BottomLine()->y());
    EXPECT_EQ(Focused(), page_->LockCodeBox());

    QTest::mouseClick(page_->SwitchButton(), Qt::LeftButton);
    EXPECT_TRUE(page_->SwitchOn());
    EXPECT_EQ(page_->geometry(), full);
    for (QWidget* control : page_->SwitchedRows()) {
        EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
    }
    EXPECT_EQ(page_->HelpText()->geometry(), help);
    EXPECT_EQ(page_->SwitchButton()->geometry(), switch_button);
    EXPECT_EQ(page_->ApplyButton()->geometry(), apply);
    EXPECT_EQ(page_->BottomLine()->geometry(), line);
    // The hidden rows kept what was typed into them.
    EXPECT_TRUE(test::SameValues(page_->Values(), typed)) << test::Describe(page_->Values());
    EXPECT_EQ(Focused(), page_->LockCodeBox());
}

TEST_F(AntiTheftPageTest, BoxesAreNamedAfterTheirLabelsAndButtonsCarryTheirCaptions) {
    struct named {
        const char* english;
        const char* chinese;
        std::function<QWidget*(CAntiTheftProtectionDlg*)> control;
    };
    const named cases[] = {
        {"Lock Code", "锁定码", [](auto* p) { return p->LockCodeBox(); }},
        {"Confirm Lock Code", "确认锁定码", [](auto* p) { return p->ConfirmLockCodeBox(); }},
        {"AC Name", "AC 名称", [](auto* p) { return p->AcNameBox(); }},
        {"Primary DNS", "首选 DNS", [](auto* p) { return p->PrimaryDnsBox(); }},
        {"Secondary DNS", "备用 DNS", [](auto* p) { return p->SecondaryDnsBox(); }},
        {"Enable", "启用", [](auto* p) { return p->SwitchButton(); }},
        {"Apply", "应用", [](auto* p) { return p->ApplyButton(); }},
        {"Cancel", "取消", [](auto* p) { return p->CancelButton(); }},
        {"Close", "关闭", [](auto* p) { return p->CloseButton(); }},
        {"Load template", "加载模板", [](auto* p) { return p->LoadTemplateButton(); }},
        {"Save as template", "另存为模板", [](auto* p) { return p->SaveTemplateButton(); }},
    };
    for (unsigned lcid : {kEnglishLcid, kChineseLcid}) {
        InitLanguage(test::StageFolder(), lcid);
        OpenWindow();
        for (const named& c : cases) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(c.control(page_));
            ASSERT_NE(iface, nullptr) << c.english;
            EXPECT_EQ(iface->text(QAccessible::Name).trimmed(),
                      QString::fromUtf8(lcid == kChineseLcid ? c.chinese : c.english))
                << c.english;
        }
    }
}

TEST_F(AntiTheftPageTest, EachRejectedInputShowsItsMessageAndPutsTheFocusInTheBoxItNames) {
    struct check_case {
        antitheft_values typed;
        const char* message;
        std::function<QWidget*(CAntiTheftProtectionDlg*)> focus;
    };
    auto lock = [](auto* p) -> QWidget* { return p->LockCodeBox(); };
    auto confirm = [](auto* p) -> QWidget* { return p->ConfirmLockCodeBox(); };
    auto ac = [](auto* p) -> QWidget* { return p->AcNameBox(); };
    auto dns1 = [](auto* p) -> QWidget* { return p->PrimaryDnsBox(); };
    auto dns2 = [](auto* p) -> QWidget* { return p->SecondaryDnsBox(); };
    const check_case cases[] = {
        {{"", "x", true, "ac", "", ""}, "Please input the Lock Code information!", lock},
        {{"a\"b", "a\"b", true, "ac", "", ""},
         "The input Lock Code cannot contain the characters \" or \\ ",
         lock},
        // With the switch off the Lock Code is still sent, so it is still checked.
        {{"a\\b", "", false, "", "", ""},
         "The input Lock Code cannot contain the characters \" or \\ ",
         lock},
        {{"", "", false, "", "", ""}, "Please input the Lock Code information!", lock},
        {{"abc", "", true, "ac", "", ""},
         "Please input the Confirm Lock Code information!",
         confirm},
        {{"abc", "ab\\", true, "ac", "", ""},
         "The input Confirm Lock Code cannot contain the characters \" or \\ ",
         confirm},
        {{"abcd", "abce", true, "ac", "", ""},
         "The input information of the two is inconsistent!",
         confirm},
        {{"abcd", "ABCD", true, "ac", "", ""},
         "The input information of the two is inconsistent!",
         confirm},
        {{"abc", "abc", true, "", "", ""}, "Please input the AC Name information!", ac},
        {{"abc", "abc", true, "a\"c", "", ""},
         "The input AC Name cannot contain the characters \" or \\ ",
         ac},
        {{"abc", "abc", true, "ac", "10.0.1", ""}, "The Primary DNS is invalid!", dns1},
        {{"abc", "abc", true, "ac", "8.8.8.8", "dns.example"},
         "The Secondary DNS is invalid!",
         dns2},
    };
    test::CPageTestEngine engine(2);
    ASSERT_TRUE(engine.ScanNow());
    std::vector<std::string> macs;
    for (const sim_device& device : engine.Network().Devices().Devices()) {
        macs.push_back(FormatMacText(device.mac));
    }
    page_->SetSelectedDevices(macs);

    for (const check_case& c : cases) {
        SCOPED_TRACE(c.message);
        SetSwitch(true);
        TypeValues(c.typed);
        SetSwitch(c.typed.enable);
        const antitheft_values before = page_->Values();
        const test::note_seen seen = ApplyAndAnswer(true);
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(seen.title, "Note");
        EXPECT_EQ(seen.text, QString::fromUtf8(c.message));
        EXPECT_FALSE(seen.cancel_visible);
        EXPECT_EQ(Focused(), c.focus(page_));
        // Nothing moved on: the page, its boxes and the devices are as they were.
        EXPECT_TRUE(page_->isVisible());
        EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_ANTITHEFT);
        EXPECT_TRUE(test::SameValues(page_->Values(), before)) << test::Describe(page_->Values());
        for (const std::string& mac : macs) {
            EXPECT_EQ(AntiTheftStatus(engine.Store(), mac), STATUS_WAIT_OPERATE) << mac;
        }
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(devices_->messages.empty());
}

TEST_F(AntiTheftPageTest, AControlCharacterFromATemplateIsRefusedBeforeAnythingIsSent) {
    test::CPageTestEngine engine(1);
    ASSERT_TRUE(engine.ScanNow());
    TypeValues(kGoodValues);
    // A template value can hold what a box cannot be typed with.
    page_->AcNameBox()->setText(QStringLiteral("ac\tname"));
    const test::note_seen seen = ApplyAndAnswer(true);
    EXPECT_EQ(seen.text, "The AC Name cannot contain control characters!");
    EXPECT_EQ(Focused(), page_->AcNameBox());
    EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_ANTITHEFT);
}

TEST_F(AntiTheftPageTest, CancellingTheConfirmationSendsNothingAndKeepsTheTypedValues) {
    test::CPageTestEngine engine(2);
    ASSERT_TRUE(engine.ScanNow());
    const std::string mac = FormatMacText(engine.Network().Devices().Devices()[0].mac);
    page_->SetSelectedDevices({mac});
    const antitheft_values typed = {"Lk-9", "Lk-9", true, "ac-1", "8.8.8.8", ""};
    TypeValues(typed);

    const test::note_seen seen = ApplyAndAnswer(false);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, "Note");
    EXPECT_EQ(seen.text, "Are you sure you want to apply configuration?");
    EXPECT_TRUE(seen.cancel_visible);

    QCoreApplication::processEvents();
    EXPECT_TRUE(page_->isVisible());
    EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_ANTITHEFT);
    EXPECT_TRUE(devices_->messages.empty());
    EXPECT_TRUE(test::SameValues(page_->Values(), typed)) << test::Describe(page_->Values());
    EXPECT_EQ(AntiTheftStatus(engine.Store(), mac), STATUS_WAIT_OPERATE);
}

TEST_F(AntiTheftPageTest, ApplyHandsOverToTheDeviceListAndEverySelectedDeviceGetsTheCommand) {
    struct apply_case {
        const char* name;
        antitheft_values typed;  // the switch as `enable` says
        std::string command;
    };
    const apply_case cases[] = {
        // Untouched DNS boxes are sent as unset; an IPv6 address goes as typed.
        {"switch on",
         {"Lk-9x7Q", "Lk-9x7Q", true, "ac-1", "::1", ""},
         R"({"Lockcode":"Lk-9x7Q","Enable":"1","ACName":"ac-1","DNS1":"::1","DNS2":"0.0.0.0"})"},
        // Hidden rows are neither checked nor sent, whatever they hold.
        {"switch off",
         {"Lk-9x7Q", "", false, "ac-1", "not an address", "8.8.8.8"},
         R"({"Lockcode":"Lk-9x7Q","Enable":"0","ACName":"","DNS1":"0.0.0.0","DNS2":"0.0.0.0"})"},
    };
    for (const apply_case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenWindow();
        sim_device_options options;
        options.count = 3;
        options.record_transfers = true;
        test::CPageTestEngine engine(options);
        ASSERT_TRUE(engine.ScanNow());
        const std::vector<sim_device>& devices = engine.Network().Devices().Devices();
        // The first and last are ticked, the middle one is not.
        const std::vector<std::string> selected = {FormatMacText(devices[0].mac),
                                                   FormatMacText(devices[2].mac)};
        const std::string unselected = FormatMacText(devices[1].mac);
        page_->SetSelectedDevices(selected);
        TypeValues(c.typed);
        SetSwitch(c.typed.enable);

        const test::note_seen seen = ApplyAndAnswer(true);
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(seen.text, "Are you sure you want to apply configuration?");
        EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_DEVICES);
        EXPECT_FALSE(page_->isVisible());
        EXPECT_TRUE(devices_->isVisible());

        ASSERT_TRUE(QTest::qWaitFor([&] { return !devices_->messages.empty(); }, kWaitMs));
        ASSERT_EQ(devices_->messages.size(), 1u);
        EXPECT_EQ(devices_->messages[0].message, WM_ANTITHEFT_STARTED);
        EXPECT_EQ(devices_->messages[0].sender, page_);

        auto status = [&](const std::string& mac) { return AntiTheftStatus(engine.Store(), mac); };
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return status(selected[0]) == STATUS_OPERATE_SUCCESS &&
                       status(selected[1]) == STATUS_OPERATE_SUCCESS;
            },
            kWaitMs))
            << status(selected[0]) << " " << status(selected[1]);
        EXPECT_EQ(status(unselected), STATUS_WAIT_OPERATE);

        std::map<std::string, std::vector<std::string>> commands;
        engine.Network().Devices().WithModel([&](const CDeviceModel& model) {
            for (const sim_transfer_record& transfer : model.CompletedTransfers()) {
                std::string text(transfer.content.begin(), transfer.content.end());
                commands[FormatMacText(transfer.device)].push_back(text.c_str());
            }
        });
        EXPECT_EQ(commands[selected[0]], std::vector<std::string>{c.command});
        EXPECT_EQ(commands[selected[1]], std::vector<std::string>{c.command});
        EXPECT_TRUE(commands[unselected].empty());

        // The lock code went to the devices and nowhere else: no log, database or
        // other file of the run holds it.
        for (const std::string& folder : {test::AntiTheftHome(), engine.Folder()}) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
                if (entry.is_regular_file()) {
                    EXPECT_EQ(test::ReadWholeFile(entry.path().string()).find(c.typed.lock_code),
                              std::string::npos)
                        << entry.path();
                }
            }
        }
    }
}

TEST_F(AntiTheftPageTest, WithoutAnEngineApplySaysSoAndStaysOnThePage) {
    ASSERT_EQ(CApplicationApp::GetApp()->transmit_manager, nullptr);
    page_->SetSelectedDevices({"02:5A:00:00:00:01"});
    TypeValues(kGoodValues);
    const test::note_seen seen = ApplyAndAnswer(true);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, "The device engine is not running: nothing was sent.");
    EXPECT_FALSE(seen.cancel_visible);
    QCoreApplication::processEvents();
    EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_ANTITHEFT);
    EXPECT_TRUE(devices_->messages.empty());
}

TEST_F(AntiTheftPageTest, CancelAndCloseReturnToTheDeviceListAndTheValuesAreThereNextTime) {
    struct leave_case {
        const char* name;
        std::function<QWidget*(CAntiTheftProtectionDlg*)> button;
    };
    const leave_case cases[] = {
        {"cancel", [](auto* p) { return p->CancelButton(); }},
        {"close", [](auto* p) { return p->CloseButton(); }},
    };
    test::CPageTestEngine engine(1);
    ASSERT_TRUE(engine.ScanNow());
    const std::string mac = FormatMacText(engine.Network().Devices().Devices()[0].mac);
    const antitheft_values typed = {"Lk-9", "Lk-8", true, "ac-1", "8.8.4.4", ""};
    for (const leave_case& c : cases) {
        SCOPED_TRACE(c.name);
        window_->ShowPage(PAGE_ANTITHEFT);
        page_->SetSelectedDevices({mac});
        TypeValues(typed);
        QTest::mouseClick(c.button(page_), Qt::LeftButton);
        EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_DEVICES);
        EXPECT_FALSE(page_->isVisible());
        EXPECT_TRUE(devices_->isVisible());
        EXPECT_TRUE(window_->MinimiseButton()->isVisible());
        EXPECT_TRUE(window_->CloseButton()->isVisible());

        // The device list opens the page again.
        window_->ShowPage(PAGE_ANTITHEFT);
        EXPECT_TRUE(test::SameValues(page_->Values(), typed)) << test::Describe(page_->Values());
        EXPECT_EQ(Focused(), page_->LockCodeBox());
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(devices_->messages.empty());
    EXPECT_EQ(AntiTheftStatus(engine.Store(), mac), STATUS_WAIT_OPERATE);
}

TEST_F(AntiTheftPageTest, EnterAndEscapeNeitherApplyNorLeave) {
    test::CPageTestEngine engine(1);
    ASSERT_TRUE(engine.ScanNow());
    page_->SetSelectedDevices({FormatMacText(engine.Network().Devices().Devices()[0].mac)});
    TypeValues(kGoodValues);
    for (CTEditGdiplus* box : {page_->LockCodeBox(), page_->AcNameBox()}) {
        box->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(box, key);
            QCoreApplication::processEvents();
            EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << key;
            EXPECT_TRUE(page_->isVisible()) << key;
            EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_ANTITHEFT) << key;
        }
    }
    EXPECT_TRUE(window_->isVisible());
    EXPECT_TRUE(devices_->messages.empty());
    EXPECT_TRUE(test::SameValues(page_->Values(), kGoodValues)) << test::Describe(page_->Values());
}

}  // namespace
}  // namespace plindar
