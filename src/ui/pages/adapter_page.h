// The adapter page: the operator picks the network adapter that faces the devices
// and starts the first scan, which hands over to the device list when it settles.
#pragma once

#include <QTimer>
#include <memory>
#include <string>

#include "protocol/scan_run.h"
#include "ui/page.h"

namespace plindar {

class CCustomComboBox;
class CTButtonPicture;
class CTPicture;
class CTStaticGdiplus;

class CSelectAdapterDlg : public CPage {
    Q_OBJECT

public:
    explicit CSelectAdapterDlg(QWidget* parent);
    ~CSelectAdapterDlg() override;

    // Lists the adapters again and chooses one: the one chosen before when it is
    // still listed, else the adapter named on the command line, else the first.
    void RefreshAdapterList();

    // The Start Scan button's action.
    void StartScan();
    // One check of the running scan (the timer's action, once a second).
    void OnScanTimer();

    bool ScanAllowed() const { return scan_allowed_; }
    const std::string& ChosenAdapterText() const { return chosen_adapter_text_; }
    CCustomComboBox* AdapterCombo() const { return combo_; }
    CTButtonPicture* ScanButton() const { return scan_button_; }
    CTPicture* BusyAnimation() const { return busy_; }
    QTimer* ScanTimer() { return &scan_timer_; }

private:
    void EndScan();
    // Says why the adapter cannot be used and what to do; the scan does not start.
    void ReportUnusableAdapter(const struct adapter_choice_stu& choice);

    CTPicture* logo_ = nullptr;
    CTStaticGdiplus* title_ = nullptr;
    CCustomComboBox* combo_ = nullptr;
    CTButtonPicture* scan_button_ = nullptr;
    CTPicture* busy_ = nullptr;

    std::string chosen_adapter_text_;
    bool scan_allowed_ = true;
    QTimer scan_timer_;
    std::unique_ptr<CScanRun> scan_;
};

}  // namespace plindar
