// The adapter page on a simulated segment: the adapter list and the choice kept
// across refreshes, Start Scan and its timer rule, the hand-over to the device
// list, and what an operator is told when the adapter cannot be used.
#include "ui/pages/adapter_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/main_window.h"
#include "protocol/fixed_text.h"
#include "records/language.h"
#include "sim/simulated_network.h"
#include "support/wait_for.h"
#include "ui/controls/custom_combo_box.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/note_dlg.h"
#include "ui/page_test_engine.h"
#include "ui/pages/devices_page.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

constexpr uint32_t kDevices = 6;

// The simulated segment's adapter plus adapters the test adds and removes, some
// of which refuse to open as a real adapter without capture rights does.
class ScriptedAdapters : public CLinkProvider {
public:
    explicit ScriptedAdapters(std::shared_ptr<CLinkProvider> real) : real_(std::move(real)) {}

    std::unique_ptr<CLinkHandle> Open(const std::string& device, const link_open_options& options,
                                      LinkOpenError* error_kind, std::string* error_text) override {
        if (device == refused) {
            *error_kind = LinkOpenError::PermissionDenied;
            *error_text = "Operation not permitted";
            return nullptr;
        }
        return real_->Open(device == kSimAdapterName || !IsExtra(device) ? device : kSimAdapterName,
                           options, error_kind, error_text);
    }
    bool ListCaptureDevices(std::vector<std::string>* names, std::string* error_text) override {
        if (!real_->ListCaptureDevices(names, error_text)) {
            return false;
        }
        names->insert(names->end(), extra.begin(), extra.end());
        return true;
    }
    std::vector<local_adapter_node> ListAdapters() override {
        std::vector<local_adapter_node> nodes = real_->ListAdapters();
        uint8_t last = 0x10;
        for (const std::string& name : extra) {
            local_adapter_node node{};
            node.state = 1;
            WriteFixedText(node.info.adapter_name, name);
            WriteFixedText(node.info.description, "Extra " + name);
            node.info.hardware_address[5] = last++;
            nodes.push_back(node);
        }
        if (!sim_listed) {
            nodes.erase(nodes.begin());
        }
        return nodes;
    }

    std::vector<std::string> extra;
    std::string refused;
    bool sim_listed = true;

private:
    bool IsExtra(const std::string& device) const {
        return std::find(extra.begin(), extra.end(), device) != extra.end();
    }
    std::shared_ptr<CLinkProvider> real_;
};

using test::AnswerNextNote;
using test::note_seen;

class AdapterPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitLanguage(test::StageFolder(), kEnglishLcid);
        adapters_ = std::make_shared<ScriptedAdapters>(engine_.Network().Provider());
        engine_.Manager().SetLinkProvider(adapters_);
    }
    void TearDown() override { CApplicationApp::GetApp()->preselected_adapter.clear(); }

    void OpenWindow() {
        window_ = std::make_unique<CApplicationDlg>(TrayMode::kNoTray);
        window_->show();
        page_ = dynamic_cast<CSelectAdapterDlg*>(window_->Page(PAGE_ADAPTER));
        ASSERT_NE(page_, nullptr);
        devices_ = dynamic_cast<CDevicesControlDlg*>(window_->Page(PAGE_DEVICES));
        ASSERT_NE(devices_, nullptr);
    }

    // Start Scan with the page's real timer taken out, so the test ticks it.
    void StartScanByHand() {
        QTest::mouseClick(page_->ScanButton(), Qt::LeftButton);
        ASSERT_TRUE(page_->ScanTimer()->isActive());
        page_->ScanTimer()->stop();
    }

    QString ComboText(int index) { return page_->AdapterCombo()->itemText(index); }

    uint64_t DiscoveryAnswers() {
        return engine_.Network().Devices().Stats().model.answers_scheduled;
    }

    test::CPageTestEngine engine_{kDevices};
    std::shared_ptr<ScriptedAdapters> adapters_;
    std::unique_ptr<CApplicationDlg> window_;
    CSelectAdapterDlg* page_ = nullptr;
    CDevicesControlDlg* devices_ = nullptr;
};

TEST_F(AdapterPageTest, ListsTheAdaptersAndKeepsTheChoiceUntilItVanishes) {
    adapters_->extra = {"eth7", "eth8"};
    OpenWindow();
    ASSERT_EQ(page_->AdapterCombo()->count(), 3);
    EXPECT_EQ(page_->AdapterCombo()->GetSelection(), 0);
    EXPECT_EQ(page_->ChosenAdapterText(), ComboText(0).toStdString());

    // The operator picks another line; a scan makes it the choice.
    page_->AdapterCombo()->Select(2);
    StartScanByHand();
    EXPECT_EQ(page_->ChosenAdapterText(), "Extra eth8 (00:00:00:00:00:11)");
    EXPECT_EQ(CApplicationApp::GetApp()->adapter_display_name, page_->ChosenAdapterText());

    // A refresh keeps it even when adapters come and go around it.
    adapters_->extra = {"eth6", "eth8"};
    page_->RefreshAdapterList();
    EXPECT_EQ(ComboText(page_->AdapterCombo()->GetSelection()).toStdString(),
              page_->ChosenAdapterText());
    EXPECT_EQ(page_->AdapterCombo()->GetSelection(), 2);

    // Once it is gone, the first adapter becomes the choice.
    adapters_->extra = {"eth6"};
    page_->RefreshAdapterList();
    EXPECT_EQ(page_->AdapterCombo()->GetSelection(), 0);
    EXPECT_EQ(page_->ChosenAdapterText(), ComboText(0).toStdString());
}

TEST_F(AdapterPageTest, TheAdapterNamedOnTheCommandLineIsChosenAtStart) {
    adapters_->extra = {"eth7", "eth8"};
    CApplicationApp::GetApp()->preselected_adapter = "eth7";
    OpenWindow();
    EXPECT_EQ(page_->AdapterCombo()->GetSelection(), 1);
    EXPECT_EQ(page_->ChosenAdapterText(), "Extra eth7 (00:00:00:00:00:10)");
}

TEST_F(AdapterPageTest, AScanWithoutNewDevicesEndsAtTheFourthTickOnTheDeviceList) {
    OpenWindow();
    StartScanByHand();
    EXPECT_FALSE(page_->ScanAllowed());
    EXPECT_FALSE(page_->ScanButton()->isEnabled());
    EXPECT_EQ(page_->ScanButton()->text(), "Scanning for devices   ");
    EXPECT_TRUE(page_->BusyAnimation()->isVisible());
    ASSERT_TRUE(test::WaitFor([&] { return engine_.Store().CountDevices() == int(kDevices); }));

    // Pressing Start Scan again changes nothing while the scan runs.
    page_->StartScan();
    EXPECT_FALSE(page_->ScanTimer()->isActive());
    EXPECT_EQ(engine_.Store().CountDevices(), int(kDevices));

    for (int tick = 1; tick <= 3; ++tick) {
        page_->OnScanTimer();
        EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_ADAPTER) << "tick " << tick;
    }
    page_->OnScanTimer();
    EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_DEVICES);
    EXPECT_TRUE(page_->ScanAllowed());
    EXPECT_TRUE(page_->ScanButton()->isEnabled());
    EXPECT_EQ(page_->ScanButton()->text(), "Start Scan");
    EXPECT_FALSE(page_->BusyAnimation()->isVisible());
    // The device list took over with every device.
    EXPECT_EQ(devices_->Grid() != nullptr, true);
    EXPECT_NE(devices_->NicLabel()->text().indexOf("NIC:"), -1);
}

TEST_F(AdapterPageTest, DevicesStillArrivingKeepTheScanGoingAndTheTwelfthTickAsksAgain) {
    OpenWindow();
    StartScanByHand();
    // Every answer in the store first, so only the test's arrivals change the count.
    ASSERT_TRUE(test::WaitFor([&] { return engine_.Store().CountDevices() == int(kDevices); }));
    ASSERT_EQ(DiscoveryAnswers(), kDevices);
    int next_mac = 1;
    for (int tick = 1; tick <= 12; ++tick) {
        if (tick % 4 == 0) {
            // A device that answered since the last check.
            ap_discover_stu late{};
            WriteFixedText(late.mac, "02:00:00:00:01:0" + std::to_string(next_mac++));
            engine_.Store().InsertDevice(late);
        }
        page_->OnScanTimer();
        EXPECT_FALSE(page_->ScanAllowed()) << "tick " << tick;
        if (tick < 12) {
            EXPECT_EQ(DiscoveryAnswers(), kDevices) << "asked again too early, tick " << tick;
        }
    }
    EXPECT_TRUE(test::WaitFor([&] { return DiscoveryAnswers() == 2 * kDevices; }));
    // Nothing new by the sixteenth tick: over.
    for (int tick = 13; tick <= 16; ++tick) {
        page_->OnScanTimer();
    }
    EXPECT_TRUE(page_->ScanAllowed());
}

TEST_F(AdapterPageTest, AnAdapterThatCannotBeOpenedIsExplainedAndNotScanned) {
    adapters_->extra = {"eth7"};
    adapters_->refused = "eth7";
    OpenWindow();
    page_->AdapterCombo()->Select(1);
    note_seen seen;
    AnswerNextNote(kNoteOk, &seen);
    QTest::mouseClick(page_->ScanButton(), Qt::LeftButton);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, "Note");
    EXPECT_NE(seen.text.indexOf("No permission to capture on this adapter."), -1) << seen.text;
    EXPECT_NE(seen.text.indexOf("sudo setcap cap_net_raw,cap_net_admin=eip "), -1) << seen.text;
    EXPECT_TRUE(page_->ScanAllowed());
    EXPECT_FALSE(page_->ScanTimer()->isActive());
    EXPECT_EQ(page_->ScanButton()->text(), "Start Scan");
    EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_ADAPTER);
}

TEST_F(AdapterPageTest, WithNoAdapterListedStartScanAsksForOne) {
    adapters_->sim_listed = false;
    OpenWindow();
    ASSERT_EQ(page_->AdapterCombo()->count(), 0);
    note_seen seen;
    AnswerNextNote(kNoteOk, &seen);
    QTest::mouseClick(page_->ScanButton(), Qt::LeftButton);
    EXPECT_EQ(seen.text, "Ensure the computer's NIC is enabled!");
    EXPECT_TRUE(page_->ScanAllowed());
    // The adapter is back: the refresh after the note lists it.
    adapters_->sim_listed = true;
    page_->RefreshAdapterList();
    EXPECT_EQ(page_->AdapterCombo()->count(), 1);
}

}  // namespace
}  // namespace plindar
