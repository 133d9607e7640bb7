// The adapter page: adapter list, the first scan and the hand-over.
#include "ui/pages/adapter_page.h"

#include <QGuiApplication>

#include "protocol/ac_transmit_manage.h"
#include "protocol/adapter_choice.h"
#include "protocol/fixed_text.h"
#include "records/language.h"
#include "records/program_folder.h"
#include "ui/controls/custom_combo_box.h"
#include "ui/controls/skin_look.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/note_dlg.h"
#include "ui/pages/devices_page.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {

constexpr QSize kPageSize(324, 288);
constexpr QRect kLogo(53, 16, 220, 48);
// Across the page (the text is centred), so a long translation fits on one line.
constexpr QRect kTitle(16, 64, 292, 32);
constexpr QRect kCombo(53, 120, 218, 24);
constexpr QRect kScanButton(53, 182, 218, 24);
// At the right end of the scan button, clear of its caption in any face.
constexpr QRect kBusy(249, 186, 16, 16);

const QColor kTitleColour(128, 128, 128);
constexpr int kTitleHeight = 20;
constexpr int kTitleWeight = 500;
constexpr int kButtonTextHeight = 17;

// Captions set as they are, never translated: they stand for a state, not a text.
constexpr char kStartScanCaption[] = "Start Scan";
constexpr char kScanningCaption[] = "Scanning for devices   ";

constexpr char kCapabilityCommand[] = "sudo setcap cap_net_raw,cap_net_admin=eip ";

}  // namespace

CSelectAdapterDlg::CSelectAdapterDlg(QWidget* parent) : CPage(PAGE_ADAPTER, kPageSize, parent) {
    const CApplicationApp* app = CApplicationApp::GetApp();
    SetFillColour(app != nullptr ? ToQColor(app->settings.ChildBkColor) : QColor(Qt::white));
    SetFill(true);

    logo_ = new CTPicture(this);
    logo_->setGeometry(kLogo);
    logo_->setAccessibleName(QStringLiteral("Zorvu"));
    title_ = new CTStaticGdiplus(QStringLiteral("Select Network Adapter"), this);
    title_->setGeometry(kTitle);
    combo_ = new CCustomComboBox(this);
    combo_->setObjectName(QStringLiteral("adapterCombo"));
    combo_->setGeometry(kCombo);
    scan_button_ = new CTButtonPicture(this);
    scan_button_->setObjectName(QStringLiteral("startScanButton"));
    scan_button_->setText(QString::fromUtf8(kStartScanCaption));
    scan_button_->setGeometry(kScanButton);
    busy_ = new CTPicture(this);
    busy_->setGeometry(kBusy);
    busy_->setAccessibleName(QStringLiteral("Scanning"));

    TranslateDialog(this);
    // The box is named after the page's title, which is what it asks for.
    combo_->setAccessibleName(title_->text());

    title_->SetFace(SkinFace());
    title_->SetFont(kTitleHeight, kTitleWeight);
    title_->SetColour(kTitleColour);
    title_->SetTextAlignment(kStaticCentre);
    title_->SetShrinkToFit(true);
    combo_->SetArrowImages(SkinImagePath(SKIN_COMBOX_DOWN));
    scan_button_->SetImages(SkinImagePath(SKIN_SCAN_BTN_NORMAL), SkinImagePath(SKIN_SCAN_BTN_OVER),
                            SkinImagePath(SKIN_SCAN_BTN_DOWN),
                            SkinImagePath(SKIN_SCAN_BTN_DISABLE));
    scan_button_->SetCaptionFont(SkinFace(), kButtonTextHeight, kWeightNormal);
    scan_button_->SetCaptionColours(Qt::white, Qt::white, Qt::white);
    connect(scan_button_, &QAbstractButton::clicked, this, &CSelectAdapterDlg::StartScan);

    logo_->Load(SkinImagePath(SKIN_LOGO));
    logo_->Start();
    busy_->Load(SkinImagePath(SKIN_WAIT_SEARCH_GIF));
    busy_->hide();

    ApplyRoundCorners(this);
    scan_timer_.setInterval(std::chrono::milliseconds(CScanRun::kTickInterval));
    connect(&scan_timer_, &QTimer::timeout, this, &CSelectAdapterDlg::OnScanTimer);
    RefreshAdapterList();
}

CSelectAdapterDlg::~CSelectAdapterDlg() = default;

void CSelectAdapterDlg::RefreshAdapterList() {
    CApplicationApp* app = CApplicationApp::GetApp();
    AcTransmitManage* manager = app != nullptr ? app->transmit_manager : nullptr;
    combo_->clear();
    if (manager == nullptr) {
        return;
    }
    std::vector<adapter_info_stu> adapters;
    manager->GetAdapterList(&adapters);
    for (const adapter_info_stu& adapter : adapters) {
        combo_->AddItem(QString::fromStdString(FormatAdapterText(adapter)));
    }
    if (adapters.empty()) {
        return;
    }
    size_t chosen = 0;
    bool found = false;
    for (size_t i = 0; i < adapters.size() && !found; ++i) {
        if (!chosen_adapter_text_.empty() &&
            FormatAdapterText(adapters[i]) == chosen_adapter_text_) {
            chosen = i;
            found = true;
        }
    }
    // Before the first choice, the adapter the command line named comes first.
    for (size_t i = 0; i < adapters.size() && !found && chosen_adapter_text_.empty(); ++i) {
        if (!app->preselected_adapter.empty() &&
            ReadFixedText(adapters[i].adapter_name) == app->preselected_adapter) {
            chosen = i;
            found = true;
        }
    }
    chosen_adapter_text_ = FormatAdapterText(adapters[chosen]);
    combo_->Select(static_cast<int>(chosen));
    UseAdapter(*manager, adapters[chosen]);
}

void CSelectAdapterDlg::StartScan() {
    if (!scan_allowed_) {
        return;
    }
    CApplicationApp* app = CApplicationApp::GetApp();
    AcTransmitManage* manager = app != nullptr ? app->transmit_manager : nullptr;
    CSqlManagement* store = app != nullptr ? app->results_store : nullptr;
    if (combo_->GetSelection() < 0 || manager == nullptr || store == nullptr) {
        ShowNote(TrText("Note"), TrText("Ensure the computer's NIC is enabled!"),
                 NoteButtons::kOkOnly, nullptr);
        RefreshAdapterList();
        return;
    }
    scan_timer_.stop();
    scan_allowed_ = false;
    busy_->show();
    busy_->Start();
    scan_button_->setEnabled(false);
    scan_button_->setText(QString::fromUtf8(kScanningCaption));

    std::vector<adapter_info_stu> adapters;
    manager->GetAdapterList(&adapters);
    const int line = combo_->GetSelection();
    if (line < static_cast<int>(adapters.size())) {
        const adapter_info_stu& adapter = adapters[static_cast<size_t>(line)];
        chosen_adapter_text_ = FormatAdapterText(adapter);
        app->adapter_display_name = chosen_adapter_text_;
        // The capture device must open, or the scan would end on an empty list
        // as if the segment had no device.
        adapter_choice_stu choice = ChooseAdapter(*manager, ReadFixedText(adapter.adapter_name));
        if (choice.result != AdapterChoiceResult::Ok) {
            EndScan();
            ReportUnusableAdapter(choice);
            return;
        }
    }
    scan_ = std::make_unique<CScanRun>(*manager, *store);
    if (!scan_->Start(CScanRun::Listener::kRestart)) {
        scan_.reset();
        EndScan();
        ShowNote(TrText("Note"),
                 TrText("Cannot listen on the adapter. See Diagnostic.log in the program folder."),
                 NoteButtons::kOkOnly, this);
        return;
    }
    scan_timer_.start();
}

void CSelectAdapterDlg::OnScanTimer() {
    if (!scan_) {
        scan_timer_.stop();
        return;
    }
    if (!scan_->Tick().done) {
        return;
    }
    scan_.reset();
    EndScan();
    CPageHost* host = MainWindowHost();
    if (host == nullptr) {
        return;
    }
    host->ShowPage(PAGE_DEVICES);
    if (auto* devices = dynamic_cast<CDevicesControlDlg*>(host->Page(PAGE_DEVICES))) {
        devices->UpdateNicLabel();
        devices->RefreshDevices(true, devices->SortAscending(), kColumnMac, QString());
    }
}

void CSelectAdapterDlg::EndScan() {
    scan_timer_.stop();
    scan_allowed_ = true;
    busy_->Stop();
    busy_->hide();
    scan_button_->setEnabled(true);
    scan_button_->setText(QString::fromUtf8(kStartScanCaption));
}

void CSelectAdapterDlg::ReportUnusableAdapter(const adapter_choice_stu& choice) {
    QString text;
    switch (choice.result) {
        case AdapterChoiceResult::PermissionDenied:
            text = TrText("No permission to capture on this adapter.") + "\n" +
                   TrText("Run Plindar as root, or give it the capture capability once:") + "\n" +
                   QString::fromUtf8(kCapabilityCommand) +
                   QString::fromStdString(GetExecutableFolder()) + "plindar";
            break;
        case AdapterChoiceResult::UnknownAdapter:
            text = TrText("The adapter is no longer available. Choose another one.");
            RefreshAdapterList();
            break;
        case AdapterChoiceResult::NoCaptureDevice:
            text =
                TrText("No capture device matches this adapter. Is it up and visible to libpcap?");
            break;
        case AdapterChoiceResult::OpenFailed:
        case AdapterChoiceResult::Ok:
            text = TrText("Cannot open the adapter:") + " " +
                   QString::fromStdString(choice.error_text);
            break;
    }
    ShowNote(TrText("Note"), text, NoteButtons::kOkOnly, this);
}

}  // namespace plindar
