// The device list on a simulated segment: filling, ticks from the header and the
// rows, sorting, the apply buttons, rescans and the polling of an apply run.
#include "ui/pages/devices_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/main_window.h"
#include "protocol/fixed_text.h"
#include "records/language.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/note_dlg.h"
#include "ui/page_test_engine.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

constexpr uint32_t kDevices = 5;
constexpr int kStatusOperating = 1;
constexpr int kStatusSuccess = 2;
constexpr int kStatusTransmitFail = 5;

class DevicesPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitLanguage(test::StageFolder(), kEnglishLcid);
        ASSERT_TRUE(engine_.ScanNow());
        window_ = std::make_unique<CApplicationDlg>(TrayMode::kNoTray);
        window_->show();
        page_ = dynamic_cast<CDevicesControlDlg*>(window_->Page(PAGE_DEVICES));
        ASSERT_NE(page_, nullptr);
        window_->ShowPage(PAGE_DEVICES);
        page_->RefreshDevices(true, true, kColumnMac, QString());
        grid_ = page_->Grid();
        ASSERT_EQ(grid_->GetRowCount(), int(kDevices) + 1);
    }

    // A click where the operator clicks: the middle of a cell.
    void Click(int row, int column) {
        grid_->EnsureRowVisible(row);
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier,
                          grid_->CellRect(row, column).center());
    }

    std::vector<int> Ticks() {
        std::vector<int> ticks;
        for (int row = 1; row < grid_->GetRowCount(); ++row) {
            ticks.push_back(page_->RowTicked(row) ? 1 : 0);
            EXPECT_EQ(grid_->GetItemImage(row, kColumnTick),
                      page_->RowTicked(row) ? kIconSelect : kIconUnselect);
        }
        return ticks;
    }

    std::string MacOfRow(int row) { return grid_->GetItemText(row, kColumnMac).toStdString(); }

    test::CPageTestEngine engine_{kDevices};
    std::unique_ptr<CApplicationDlg> window_;
    CDevicesControlDlg* page_ = nullptr;
    CGridCtrl* grid_ = nullptr;
};

TEST_F(DevicesPageTest, FillsOneNumberedRowPerDeviceWithoutTicksOrStatus) {
    EXPECT_EQ(grid_->GetColumnWidth(0) + grid_->GetColumnWidth(1) + grid_->GetColumnWidth(2) +
                  grid_->GetColumnWidth(3),
              63 + 232 + 341 + 127);
    EXPECT_EQ(grid_->geometry().topLeft(), QPoint(24, 96));
    EXPECT_EQ(grid_->geometry().bottom(), 492 - 16 - 1);
    EXPECT_EQ(grid_->GetItemText(0, kColumnNumber), "No.");
    EXPECT_EQ(grid_->GetItemText(0, kColumnMac), "MAC Address");
    EXPECT_EQ(grid_->GetItemText(0, kColumnStatus), "Status");
    for (int row = 1; row <= int(kDevices); ++row) {
        EXPECT_EQ(grid_->GetItemText(row, kColumnNumber), QString::number(row));
        EXPECT_EQ(grid_->GetRowHeight(row), 48);
        EXPECT_EQ(grid_->GetItemImage(row, kColumnStatus), kIconNone);
        EXPECT_EQ(grid_->GetItemImage(row, kColumnTick), kIconUnselect);
    }
    EXPECT_LT(MacOfRow(1), MacOfRow(2));
}

TEST_F(DevicesPageTest, TheHeaderTicksAllThenNoneAndShowsWhenSomeAreTicked) {
    Click(2, kColumnTick);
    Click(4, kColumnTick);
    EXPECT_EQ(Ticks(), (std::vector<int>{0, 1, 0, 1, 0}));
    EXPECT_EQ(page_->HeaderTickState(), kHeaderSome);
    EXPECT_EQ(grid_->GetItemImage(0, kColumnTick), kIconPartSelect);
    EXPECT_EQ(page_->TickedCount(), 2);

    // Some ticked: the header unticks every row.
    Click(0, kColumnTick);
    EXPECT_EQ(Ticks(), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(page_->HeaderTickState(), kHeaderNone);

    Click(0, kColumnTick);
    EXPECT_EQ(Ticks(), (std::vector<int>{1, 1, 1, 1, 1}));
    EXPECT_EQ(page_->HeaderTickState(), kHeaderAll);
    EXPECT_EQ(grid_->GetItemImage(0, kColumnTick), kIconSelect);

    // Unticking one row leaves the header at "some"; ticking it again at "all".
    Click(3, kColumnTick);
    EXPECT_EQ(page_->HeaderTickState(), kHeaderSome);
    Click(3, kColumnTick);
    EXPECT_EQ(page_->HeaderTickState(), kHeaderAll);
    EXPECT_EQ(page_->TickedCount(), int(kDevices));
}

TEST_F(DevicesPageTest, ClicksOutsideTheTickColumnTickNothing) {
    Click(2, kColumnTick);
    for (auto [row, column] : {std::pair{0, kColumnNumber}, std::pair{1, kColumnNumber},
                               std::pair{1, kColumnMac}, std::pair{3, kColumnStatus}}) {
        Click(row, column);
        EXPECT_EQ(Ticks(), (std::vector<int>{0, 1, 0, 0, 0})) << row << "," << column;
    }
}

TEST_F(DevicesPageTest, HeaderClicksSortAscendingThenDescendingAndTheNextColumnAscending) {
    const std::string first = MacOfRow(1);
    const std::string last = MacOfRow(int(kDevices));
    Click(0, kColumnMac);
    EXPECT_EQ(MacOfRow(1), first);
    EXPECT_EQ(grid_->GetSortColumn(), kColumnMac);
    EXPECT_TRUE(grid_->GetSortAscending());
    Click(0, kColumnMac);
    EXPECT_EQ(MacOfRow(1), last);
    EXPECT_FALSE(grid_->GetSortAscending());
    Click(0, kColumnStatus);
    EXPECT_EQ(grid_->GetSortColumn(), kColumnStatus);
    EXPECT_TRUE(grid_->GetSortAscending());
    // A refill clears the ticks.
    EXPECT_EQ(page_->TickedCount(), 0);
}

TEST_F(DevicesPageTest, AnApplyButtonWithNothingTickedSaysSoAndStays) {
    bool shown = false;
    QString text;
    QTimer::singleShot(0, [&] {
        if (auto* note = qobject_cast<CNoteDlg*>(QApplication::activeModalWidget())) {
            shown = true;
            text = note->MessageLabel()->text();
            EXPECT_FALSE(note->CancelButton()->isVisible());
            QTest::mouseClick(note->OkButton(), Qt::LeftButton);
        }
    });
    QTest::mouseClick(page_->AntiTheftButton(), Qt::LeftButton);
    EXPECT_TRUE(shown);
    EXPECT_EQ(text, "Please select the devices!");
    EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_DEVICES);
    EXPECT_TRUE(page_->SelectedDevices().empty());
}

TEST_F(DevicesPageTest, AnApplyButtonHandsTheTickedDevicesToItsPageInRowOrder) {
    Click(3, kColumnTick);
    Click(1, kColumnTick);
    QTest::mouseClick(page_->AntiTheftButton(), Qt::LeftButton);
    EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_ANTITHEFT);
    EXPECT_EQ(page_->SelectedDevices(), (std::vector<std::string>{MacOfRow(1), MacOfRow(3)}));
    EXPECT_FALSE(window_->MinimiseButton()->isVisible());
    EXPECT_FALSE(window_->CloseButton()->isVisible());
}

TEST_F(DevicesPageTest, AnApplyRunIsPolledUntilEveryDeviceSettledAndIconsFollowTheStore) {
    Click(1, kColumnTick);
    Click(2, kColumnTick);
    page_->CollectSelectedDevices();
    // A message without its sender is not an apply run.
    page_->OnPageMessage(WM_ANTITHEFT_STARTED, nullptr);
    EXPECT_FALSE(page_->PollTimer()->isActive());

    page_->OnPageMessage(WM_ANTITHEFT_STARTED, window_.get());
    EXPECT_TRUE(page_->PollTimer()->isActive());
    EXPECT_TRUE(page_->CountTimer()->isActive());
    EXPECT_TRUE(page_->StopTimer()->isActive());
    EXPECT_FALSE(page_->AntiTheftButton()->isEnabled());
    EXPECT_EQ(page_->ScanButton()->text(), "Scanning   ");
    for (QTimer* timer : {page_->PollTimer(), page_->CountTimer(), page_->StopTimer()}) {
        timer->stop();  // the test ticks them
    }

    engine_.Store().SetAntiTheftStatus(MacOfRow(1), kStatusOperating);
    engine_.Store().SetAntiTheftStatus(MacOfRow(2), kStatusOperating);
    page_->PollSelectedResults();
    EXPECT_EQ(grid_->GetItemImage(1, kColumnStatus), kIconOperating);
    EXPECT_EQ(grid_->GetItemImage(2, kColumnStatus), kIconOperating);
    EXPECT_EQ(grid_->GetItemImage(3, kColumnStatus), kIconNone);
    EXPECT_EQ(page_->TickedCount(), 0);
    EXPECT_EQ(Ticks(), (std::vector<int>{0, 0, 0, 0, 0}));

    engine_.Store().SetAntiTheftStatus(MacOfRow(1), kStatusSuccess);
    engine_.Store().SetAntiTheftStatus(MacOfRow(2), kStatusTransmitFail);
    page_->PollSelectedResults();
    EXPECT_EQ(grid_->GetItemImage(1, kColumnStatus), kIconSuccess);
    EXPECT_EQ(grid_->GetItemImage(2, kColumnStatus), kIconError);
    page_->RefreshDevices(false, true, kColumnMac, QString());
    EXPECT_EQ(page_->SuccessLabel()->text(), "1");
    EXPECT_EQ(page_->FailureLabel()->text(), "1");

    page_->OnStopTimer();
    EXPECT_TRUE(page_->SelectedDevices().empty());
    EXPECT_TRUE(page_->AntiTheftButton()->isEnabled());
    EXPECT_EQ(page_->ScanButton()->text(), "Scan Devices");
}

TEST_F(DevicesPageTest, DevicesThatNeverAnswerStopThePollingAtTheFifthStopTick) {
    Click(0, kColumnTick);
    page_->CollectSelectedDevices();
    page_->OnPageMessage(WM_CUSTOMIZE_STARTED, window_.get());
    for (int tick = 1; tick <= 4; ++tick) {
        page_->OnStopTimer();
        EXPECT_TRUE(page_->PollTimer()->isActive()) << "tick " << tick;
    }
    page_->OnStopTimer();
    EXPECT_FALSE(page_->PollTimer()->isActive());
    EXPECT_FALSE(page_->CountTimer()->isActive());
    EXPECT_FALSE(page_->StopTimer()->isActive());
    EXPECT_TRUE(page_->ScanButton()->isEnabled());
}

TEST_F(DevicesPageTest, ARescanWithNoAnswerEndsAtTheFourthCheckWithAnEmptyList) {
    // Discovery requests go nowhere, as on a segment without devices.
    engine_.Manager().SetAdapterDeviceName("no-such0");
    QTest::mouseClick(page_->ScanButton(), Qt::LeftButton);
    EXPECT_FALSE(page_->ScanIdle());
    EXPECT_FALSE(page_->ScanButton()->isEnabled());
    EXPECT_TRUE(page_->BusyAnimation()->isVisible());
    page_->ScanTimer()->stop();
    for (int tick = 1; tick <= 3; ++tick) {
        page_->OnScanTimer();
        EXPECT_FALSE(page_->ScanIdle()) << "tick " << tick;
    }
    page_->OnScanTimer();
    EXPECT_TRUE(page_->ScanIdle());
    EXPECT_EQ(grid_->GetRowCount(), 1);
    EXPECT_EQ(page_->ScanButton()->text(), "Scan Devices");
    EXPECT_FALSE(page_->BusyAnimation()->isVisible());
}

TEST_F(DevicesPageTest, TheAdapterLabelCutsLongNamesAndTheTooltipKeepsThemWhole) {
    struct name_case {
        std::string name;
        QString shown;
    };
    const name_case cases[] = {
        {"Twenty-three characters", "NIC:Twenty-three characters"},
        {"Thirty characters, more or les", "NIC:Thirty characters, more ..."},
        {"", "NIC:"},
    };
    for (const name_case& c : cases) {
        CApplicationApp::GetApp()->adapter_display_name = c.name;
        page_->UpdateNicLabel();
        EXPECT_EQ(page_->NicLabel()->text(), c.shown);
        EXPECT_EQ(page_->NicLabel()->toolTip().toStdString(), c.name);
    }
    CApplicationApp::GetApp()->adapter_display_name.clear();
}

TEST_F(DevicesPageTest, AResultWithoutAnIconShowsNone) {
    for (int result : {int(RESULT_NOT_STARTED), 7, -1}) {
        page_->UpdateDeviceRow(MacOfRow(1), RESULT_SUCCESS);
        ASSERT_EQ(grid_->GetItemImage(1, kColumnStatus), kIconSuccess);
        page_->UpdateDeviceRow(MacOfRow(1), result);
        EXPECT_EQ(grid_->GetItemImage(1, kColumnStatus), kIconNone) << result;
    }
}

TEST_F(DevicesPageTest, ChangeGoesBackToTheAdapterPageAndForgetsTheTicks) {
    Click(1, kColumnTick);
    QTest::mouseClick(page_->ChangeButton(), Qt::LeftButton);
    EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_ADAPTER);
    EXPECT_EQ(page_->TickedCount(), 0);
    EXPECT_FALSE(page_->RowTicked(1));
}

}  // namespace
}  // namespace plindar
