// The operator's whole road through the window on a simulated segment, with the
// pages' own timers: scan, tick every device, anti-theft protection, and the
// device list following each device to its result.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app/main_window.h"
#include "records/language.h"
#include "ui/antitheft/antitheft_page.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_edit_gdiplus.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/note_dlg.h"
#include "ui/page_test_engine.h"
#include "ui/pages/adapter_page.h"
#include "ui/pages/devices_page.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

constexpr uint32_t kDevices = 12;
// Far beyond what the run needs (a scan settles in 4 s, reports come within
// seconds), so that only a fault makes a wait run out.
constexpr int kScanLimitMs = 30000;
constexpr int kRunLimitMs = 40000;

struct flow_case {
    const char* name;
    const char* device_lock_code;  // what the devices are bound to already
    int expected_icon;
    const char* successes;
    const char* failures;
};

void PrintTo(const flow_case& c, std::ostream* out) {
    *out << c.name;
}

class WindowFlowTest : public ::testing::TestWithParam<flow_case> {
protected:
    void SetUp() override { InitLanguage(test::StageFolder(), kEnglishLcid); }
};

void Type(CTEditGdiplus* box, const QString& text) {
    box->setFocus();
    box->clear();
    QTest::keyClicks(box, text);
}

TEST_P(WindowFlowTest, ScanTickAllProtectAndEveryRowEndsWithItsResult) {
    const flow_case& c = GetParam();
    sim_device_options devices;
    devices.count = kDevices;
    devices.lock_code = c.device_lock_code;
    test::CPageTestEngine engine(devices);
    CApplicationDlg window(TrayMode::kNoTray);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* adapters = dynamic_cast<CSelectAdapterDlg*>(window.Page(PAGE_ADAPTER));
    auto* list = dynamic_cast<CDevicesControlDlg*>(window.Page(PAGE_DEVICES));
    auto* protect = dynamic_cast<CAntiTheftProtectionDlg*>(window.Page(PAGE_ANTITHEFT));
    ASSERT_TRUE(adapters && list && protect);

    QTest::mouseClick(adapters->ScanButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return CApplicationApp::GetApp()->current_page == PAGE_DEVICES; }, kScanLimitMs));
    CGridCtrl* grid = list->Grid();
    ASSERT_EQ(grid->GetRowCount(), int(kDevices) + 1);
    EXPECT_NE(list->NicLabel()->text().indexOf("NIC:Simulated segment"), -1);

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(0, 0).center());
    EXPECT_EQ(list->TickedCount(), int(kDevices));
    QTest::mouseClick(list->AntiTheftButton(), Qt::LeftButton);
    ASSERT_EQ(CApplicationApp::GetApp()->current_page, PAGE_ANTITHEFT);
    EXPECT_EQ(protect->SelectedDevices().size(), kDevices);

    Type(protect->LockCodeBox(), "Ab12");
    Type(protect->ConfirmLockCodeBox(), "Ab12");
    Type(protect->AcNameBox(), "AC-01");
    Type(protect->PrimaryDnsBox(), "8.8.8.8");
    test::note_seen confirmation;
    test::AnswerNextNote(kNoteOk, &confirmation);
    QTest::mouseClick(protect->ApplyButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return confirmation.shown; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return CApplicationApp::GetApp()->current_page == PAGE_DEVICES; }, 5000));

    // The list polls on its own timers until every device has its result.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (int row = 1; row <= int(kDevices); ++row) {
                if (grid->GetItemImage(row, kColumnStatus) != c.expected_icon) {
                    return false;
                }
            }
            return list->SuccessLabel()->text() == c.successes &&
                   list->FailureLabel()->text() == c.failures;
        },
        kRunLimitMs))
        << "successes " << list->SuccessLabel()->text() << ", failures "
        << list->FailureLabel()->text();
    // And then stops polling and gives the buttons back.
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->AntiTheftButton()->isEnabled(); }, 20000));
    EXPECT_FALSE(list->PollTimer()->isActive());
}

INSTANTIATE_TEST_SUITE_P(
    Devices, WindowFlowTest,
    ::testing::Values(flow_case{"unbound", "", kIconSuccess, "12", "0"},
                      flow_case{"boundToAnotherCode", "X", kIconError, "0", "12"}),
    [](const ::testing::TestParamInfo<flow_case>& info) { return info.param.name; });

}  // namespace
}  // namespace plindar
