// The device list: every device of the results store with a tick box and a status
// icon, the success and failure counters, the two apply actions, a rescan and the
// way back to the adapter page. It polls the store on timers while work runs.
#pragma once

#include <QString>
#include <QTimer>
#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "protocol/scan_run.h"
#include "records/device_result.h"
#include "records/report_wait.h"
#include "ui/page.h"

namespace plindar {

class CGridCtrl;
class CTButtonPicture;
class CTPicture;
class CTStaticGdiplus;

// Grid columns; the MAC and status columns are also the header's sort columns.
enum DeviceGridColumn {
    kColumnTick = 0,
    kColumnNumber = 1,
    kColumnMac = 2,
    kColumnStatus = 3,
    kDeviceGridColumns = 4,
};

// Icons of the grid's image list, by index.
enum DeviceGridIcon {
    kIconUnselect = 0,
    kIconSelect = 1,
    kIconPartSelect = 2,
    kIconSuccess = 3,
    kIconError = 4,
    kIconOperating = 5,
    kIconNone = -1,
};

// The header tick cell: none, all or some data rows ticked.
enum HeaderTick {
    kHeaderNone = 0,
    kHeaderAll = 1,
    kHeaderSome = 2,
};

class CDevicesControlDlg : public CPage {
    Q_OBJECT

public:
    explicit CDevicesControlDlg(QWidget* parent);
    ~CDevicesControlDlg() override;

    // Reads every device from the store sorted by `column` (2 MAC, 3 status),
    // refills the grid when asked, marks the sort in the header and shows the
    // success and failure counters.
    void RefreshDevices(bool refill, bool ascending, int column, const QString& filter);
    void FillGrid(const std::vector<ap_info_stu>& devices);
    // One row's status icon from a device's overall result; every tick is cleared.
    void UpdateDeviceRow(const std::string& mac, int result);
    void PollSelectedResults();
    void CollectSelectedDevices();
    void EnableActions(bool enable);
    void UpdateNicLabel();
    void OnGridClick(int row, int column);

    void OnPageMessage(int message, QObject* sender) override;

    // The button actions.
    void OnApply(PageId target);
    void OnScanDevices();
    void OnScanTimer();
    void OnStopTimer();
    void OnChange();

    bool SortAscending() const { return sort_ascending_; }
    bool ScanIdle() const { return scan_idle_; }
    int TickedCount() const { return ticked_count_; }
    int SuccessCount() const { return success_count_; }
    int FailureCount() const { return failure_count_; }
    int HeaderTickState() const { return tick_states_.empty() ? 0 : tick_states_[0]; }
    bool RowTicked(int row) const;
    const std::vector<std::string>& SelectedDevices() const { return selected_; }

    CGridCtrl* Grid() const { return grid_; }
    CTButtonPicture* CustomizeButton() const { return customize_; }
    CTButtonPicture* AntiTheftButton() const { return antitheft_; }
    CTButtonPicture* ScanButton() const { return scan_button_; }
    CTButtonPicture* ChangeButton() const { return change_; }
    CTPicture* BusyAnimation() const { return busy_; }
    CTStaticGdiplus* NicLabel() const { return nic_label_; }
    CTStaticGdiplus* SuccessLabel() const { return success_label_; }
    CTStaticGdiplus* FailureLabel() const { return failure_label_; }
    QTimer* ScanTimer() { return &scan_timer_; }
    QTimer* PollTimer() { return &poll_timer_; }
    QTimer* CountTimer() { return &count_timer_; }
    QTimer* StopTimer() { return &stop_timer_; }

private:
    void SetRowTick(int row, bool ticked);
    void SetHeaderTick(int state);
    void ClearAllTicks();
    int StatusIcon(int result) const;
    // Places the counter row's pieces one after the other by their texts.
    void LayOutCounterRow();

    CGridCtrl* grid_ = nullptr;
    CTButtonPicture* customize_ = nullptr;
    CTButtonPicture* antitheft_ = nullptr;
    CTButtonPicture* scan_button_ = nullptr;
    CTButtonPicture* change_ = nullptr;
    CTPicture* busy_ = nullptr;
    CTStaticGdiplus* nic_label_ = nullptr;
    CTStaticGdiplus* success_label_ = nullptr;
    CTStaticGdiplus* failure_label_ = nullptr;
    CTStaticGdiplus* online_count_ = nullptr;
    std::array<CTStaticGdiplus*, 5> counter_row_{};

    // Entry 0 is the header (HeaderTick), entry r data row r (1 ticked, 0 not);
    // as long as the grid has rows, whatever their number.
    std::vector<int> tick_states_{0};
    int ticked_count_ = 0;
    int success_count_ = 0;
    int failure_count_ = 0;
    bool sort_ascending_ = true;
    bool scan_idle_ = true;
    std::unique_ptr<CScanRun> scan_;
    std::vector<std::string> selected_;
    std::unique_ptr<CReportWait> report_wait_;
    int poll_elapsed_ = 0;  // seconds, in steps of the stop timer
    // Data row of each MAC text, as the grid was last filled.
    std::unordered_map<std::string, int> row_of_mac_;

    QTimer scan_timer_;   // the scan completion check
    QTimer poll_timer_;   // PollSelectedResults
    QTimer count_timer_;  // the counters
    QTimer stop_timer_;   // the end of an apply run's polling
};

}  // namespace plindar
