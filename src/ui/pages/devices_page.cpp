// The device list: grid, ticks, counters, rescans and the polling of apply runs.
#include "ui/pages/devices_page.h"

#include <QFontMetrics>
#include <QStyle>
#include <algorithm>

#include "protocol/ac_transmit_manage.h"
#include "protocol/fixed_text.h"
#include "records/language.h"
#include "records/sql_management.h"
#include "ui/controls/skin_look.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/note_dlg.h"
#include "ui/pages/adapter_page.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {

constexpr QSize kPageSize(817, 492);

constexpr QRect kCustomizeButton(24, 24, 140, 24);
constexpr QRect kAntiTheftButton(180, 24, 142, 24);
constexpr QRect kScanButton(700, 24, 96, 24);
constexpr QRect kBusy(773, 28, 16, 16);
constexpr QRect kNicLabel(561, 56, 194, 18);
constexpr QRect kChangeButton(749, 56, 48, 18);
// The adapter label may grow to the left, up to here, when its text needs it.
constexpr int kNicLabelLeftmost = 420;
constexpr int kNicToChangeGap = 6;
// The counter row: each piece as wide as its text and followed by the next, so
// the row reads as one sentence in any language; the counts keep room for a few
// digits so the row does not jump while they grow.
constexpr int kCounterTop = 63;
constexpr int kCounterHeight = 18;
constexpr int kCounterLeft = 26;
constexpr int kCounterMinWidths[] = {0, 15, 0, 15, 0};
constexpr int kCounterGap = 4;  // between a piece's text and the next piece
// Labels are this much taller than their row so descenders are not cut.
constexpr int kLabelSlack = 3;

// The grid: from (24, 96) to 16 pixels above the page's bottom.
constexpr QPoint kGridTopLeft(24, 96);
constexpr int kGridBottomMargin = 16;
constexpr int kColumnWidths[kDeviceGridColumns] = {63, 232, 341, 127};
constexpr int kHeaderRowHeight = 38;
constexpr const char* kColumnTitles[kDeviceGridColumns] = {"", "No.", "MAC Address", "Status"};

constexpr int kLabelTextHeight = 17;
constexpr int kNicLabelWeight = 500;
constexpr int kButtonTextHeight = 17;
constexpr int kChangeWeight = 500;
const QColor kChangeColour(216, 34, 40);
const QColor kChangeDisabledColour(243, 188, 190);

// An adapter name longer than this is cut, with "..." after it.
constexpr int kNicNameShown = 24;

// Timer periods.
constexpr std::chrono::milliseconds kScanCheck = CScanRun::kTickInterval;
constexpr std::chrono::milliseconds kPollPeriod = CReportWait::kTickInterval;
constexpr std::chrono::milliseconds kCountPeriod{2000};
constexpr std::chrono::milliseconds kStopPeriod{3000};
// The stop check gives up after this many seconds of an apply run.
constexpr int kStopAfterSeconds = static_cast<int>(CReportWait::kLongestWait.count());

// Captions set as they are: they stand for a state.
constexpr char kScanCaption[] = "Scan Devices";
constexpr char kScanningCaption[] = "Scanning   ";

constexpr SkinImage kIconFiles[] = {SKIN_UNSELECT, SKIN_SELECT, SKIN_PART_SELECT,
                                    SKIN_SUCCESS,  SKIN_ERROR,  SKIN_OPERATING};

const app_settings_stu* Settings() {
    const CApplicationApp* app = CApplicationApp::GetApp();
    return app != nullptr ? &app->settings : nullptr;
}

QColor SettingColour(rgb_colour app_settings_stu::*member, QColor fallback) {
    const app_settings_stu* settings = Settings();
    return settings != nullptr ? ToQColor(settings->*member) : fallback;
}

QFont GridFont(const font_description_stu& description) {
    return SkinFont(QString::fromStdString(description.face_name), description.height,
                    description.weight);
}

CSqlManagement* Store() {
    const CApplicationApp* app = CApplicationApp::GetApp();
    return app != nullptr ? app->results_store : nullptr;
}

AcTransmitManage* Manager() {
    const CApplicationApp* app = CApplicationApp::GetApp();
    return app != nullptr ? app->transmit_manager : nullptr;
}

CTStaticGdiplus* MakeLabel(QWidget* parent, const QString& text, QRect place, int weight) {
    auto* label = new CTStaticGdiplus(text, parent);
    label->setGeometry(place);
    label->SetFace(SkinFace());
    label->SetFont(kLabelTextHeight, weight);
    label->SetColour(Qt::black);
    return label;
}

QRect Taller(QRect place) {
    return place.adjusted(0, -kLabelSlack, 0, kLabelSlack);
}

}  // namespace

CDevicesControlDlg::CDevicesControlDlg(QWidget* parent) : CPage(PAGE_DEVICES, kPageSize, parent) {
    SetFillColour(SettingColour(&app_settings_stu::ChildBkColor, Qt::white));
    SetFill(true);

    auto make_button = [this](const char* caption, QRect place, const char* name) {
        auto* button = new CTButtonPicture(this);
        button->setObjectName(QString::fromUtf8(name));
        button->setText(QString::fromUtf8(caption));
        button->setGeometry(place);
        return button;
    };
    customize_ = make_button("Device Customization", kCustomizeButton, "customizeButton");
    antitheft_ = make_button("Anti-Theft Protection", kAntiTheftButton, "antiTheftButton");
    scan_button_ = make_button(kScanCaption, kScanButton, "scanDevicesButton");
    change_ = make_button("Change", kChangeButton, "changeButton");
    busy_ = new CTPicture(this);
    busy_->setGeometry(kBusy);
    busy_->setAccessibleName(QStringLiteral("Scanning"));

    nic_label_ = MakeLabel(this, QString(), Taller(kNicLabel), kNicLabelWeight);
    nic_label_->setObjectName(QStringLiteral("nicLabel"));
    nic_label_->SetTextAlignment(kStaticRightMiddle);
    nic_label_->SetShrinkToFit(true);
    const QRect counter(kCounterLeft, kCounterTop, 0, kCounterHeight);
    counter_row_ = {
        MakeLabel(this, QStringLiteral("Configuration successful: "), counter, kWeightDontCare),
        success_label_ = MakeLabel(this, QStringLiteral("0"), counter, kWeightDontCare),
        MakeLabel(this, QStringLiteral("devices, Failed:"), counter, kWeightDontCare),
        failure_label_ = MakeLabel(this, QStringLiteral("0"), counter, kWeightDontCare),
        MakeLabel(this, QStringLiteral("devices"), counter, kWeightDontCare),
    };
    // Kept hidden: the ticked count lands here for whoever inspects the page.
    MakeLabel(this, QStringLiteral("Online devices count:"), QRect(), kWeightDontCare)->hide();
    online_count_ = MakeLabel(this, QStringLiteral("0"), QRect(), kWeightDontCare);
    online_count_->hide();

    grid_ = new CGridCtrl(this);
    grid_->setObjectName(QStringLiteral("deviceGrid"));
    grid_->setAccessibleName(QStringLiteral("Devices"));

    TranslateDialog(this);
    LayOutCounterRow();

    for (CTButtonPicture* button : {customize_, antitheft_, scan_button_}) {
        button->SetImages(
            SkinImagePath(SKIN_PROTECTION_BTN_NORMAL), SkinImagePath(SKIN_PROTECTION_BTN_OVER),
            SkinImagePath(SKIN_PROTECTION_BTN_DOWN), SkinImagePath(SKIN_PROTECTION_BTN_DISABLE));
        button->SetCaptionFont(SkinFace(), kButtonTextHeight, kWeightNormal);
        button->SetCaptionColours(Qt::white, Qt::white, Qt::white);
        button->SetCaptionAlignment(kCaptionCentre);
        button->SetCaptionMargin(0);
    }
    const QString change_image = SkinImagePath(SKIN_CHANGE_BTN_NORMAL);
    change_->SetImages(change_image, change_image, change_image, change_image);
    change_->SetCaptionFont(SkinFace(), kButtonTextHeight, kChangeWeight);
    change_->SetCaptionColours(kChangeColour, kChangeColour, kChangeDisabledColour);
    change_->SetUnderlineOnHover(true);

    connect(customize_, &QAbstractButton::clicked, this, [this] { OnApply(PAGE_CUSTOMIZE); });
    connect(antitheft_, &QAbstractButton::clicked, this, [this] { OnApply(PAGE_ANTITHEFT); });
    connect(scan_button_, &QAbstractButton::clicked, this, &CDevicesControlDlg::OnScanDevices);
    connect(change_, &QAbstractButton::clicked, this, &CDevicesControlDlg::OnChange);

    UpdateNicLabel();
    busy_->Load(SkinImagePath(SKIN_WAIT_SEARCH_GIF));
    busy_->hide();

    // The grid: icons, a header row and four columns, lines between rows only.
    std::vector<QPixmap> icons;
    for (SkinImage file : kIconFiles) {
        icons.push_back(LoadSkinImage(SkinImagePath(file)));
    }
    grid_->SetImageList(std::move(icons));
    // As wide as its columns and a vertical scroll bar: nothing to scroll sideways.
    int columns_width = 0;
    for (int width : kColumnWidths) {
        columns_width += width;
    }
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int grid_width = columns_width + 2 * grid_->frameWidth() +
                           grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid_);
    grid_->setGeometry(kGridTopLeft.x(), kGridTopLeft.y(), grid_width,
                       kPageSize.height() - kGridBottomMargin - kGridTopLeft.y());
    grid_->SetEditable(false);
    grid_->SetColumnCount(kDeviceGridColumns);
    grid_->SetDefaultRowHeight(kGridRowHeight);
    grid_->SetRowCount(1);
    grid_->SetFixedRowCount(1);
    grid_->SetRowHeight(0, kHeaderRowHeight);
    const app_settings_stu* settings = Settings();
    const QFont header_font = settings != nullptr ? GridFont(settings->grid_title_font) : QFont();
    for (int column = 0; column < kDeviceGridColumns; ++column) {
        grid_->SetColumnWidth(column, kColumnWidths[column]);
        grid_->SetItemText(0, column, TrText(kColumnTitles[column]));
        grid_->SetItemFormat(0, column, kGridTextLeft | kGridTextTop);
        grid_->SetItemFont(0, column, header_font);
        grid_->SetItemFgColour(0, column,
                               SettingColour(&app_settings_stu::GridTitleTextColor, Qt::black));
        grid_->SetItemBkColour(0, column,
                               SettingColour(&app_settings_stu::GridTitleBkColor, Qt::lightGray));
    }
    grid_->SetItemImage(0, kColumnTick, kIconUnselect);
    grid_->AddHandCursorColumn(kColumnTick);
    grid_->AddHandCursorColumn(kColumnStatus);
    grid_->SetGridBkColour(SettingColour(&app_settings_stu::ChildBkColor, Qt::white));
    grid_->SetGridLineColour(SettingColour(&app_settings_stu::LineColor, Qt::lightGray));
    grid_->SetGridLines(kGridLinesHorizontal);
    connect(grid_, &CGridCtrl::CellClicked, this, &CDevicesControlDlg::OnGridClick);

    scan_timer_.setInterval(kScanCheck);
    poll_timer_.setInterval(kPollPeriod);
    count_timer_.setInterval(kCountPeriod);
    stop_timer_.setInterval(kStopPeriod);
    connect(&scan_timer_, &QTimer::timeout, this, &CDevicesControlDlg::OnScanTimer);
    connect(&poll_timer_, &QTimer::timeout, this, &CDevicesControlDlg::PollSelectedResults);
    connect(&count_timer_, &QTimer::timeout, this,
            [this] { RefreshDevices(false, sort_ascending_, kColumnMac, QString()); });
    connect(&stop_timer_, &QTimer::timeout, this, &CDevicesControlDlg::OnStopTimer);
}

CDevicesControlDlg::~CDevicesControlDlg() = default;

void CDevicesControlDlg::LayOutCounterRow() {
    int left = kCounterLeft;
    for (size_t i = 0; i < counter_row_.size(); ++i) {
        CTStaticGdiplus* label = counter_row_[i];
        const int needed =
            QFontMetrics(label->TextFont()).horizontalAdvance(label->text()) + kCounterGap;
        const int width = std::max(kCounterMinWidths[i], needed);
        label->setGeometry(Taller(QRect(left, kCounterTop, width, kCounterHeight)));
        left += width;
    }
}

void CDevicesControlDlg::UpdateNicLabel() {
    const CApplicationApp* app = CApplicationApp::GetApp();
    const QString name =
        app != nullptr ? QString::fromStdString(app->adapter_display_name) : QString();
    const QString shown =
        name.size() >= kNicNameShown ? name.left(kNicNameShown) + QStringLiteral("...") : name;
    nic_label_->SetText(QStringLiteral("NIC:") + shown);
    nic_label_->setToolTip(name);
    // Right-aligned against "Change", growing to the left as far as it needs.
    const int needed =
        QFontMetrics(nic_label_->TextFont()).horizontalAdvance(nic_label_->text()) + 1;
    const int right = kChangeButton.left() - kNicToChangeGap;
    const int left = std::clamp(right - needed, kNicLabelLeftmost, kNicLabel.left());
    nic_label_->setGeometry(Taller(QRect(left, kNicLabel.top(), right - left, kNicLabel.height())));
}

void CDevicesControlDlg::RefreshDevices(bool refill, bool ascending, int column,
                                        const QString& filter) {
    std::vector<ap_info_stu> devices;
    int total = 0, successes = 0, failures = 0;
    if (CSqlManagement* store = Store()) {
        store->QueryDevices(&devices, &total, &successes, &failures, ascending,
                            column == kColumnStatus ? SORT_BY_RESULT : SORT_BY_MAC,
                            filter.toStdString());
    }
    if (refill) {
        FillGrid(devices);
    }
    grid_->SetSortColumn(column);
    grid_->SetSortAscending(ascending);
    success_count_ = successes;
    failure_count_ = failures;
    success_label_->SetText(QString::number(successes));
    failure_label_->SetText(QString::number(failures));
    LayOutCounterRow();
}

int CDevicesControlDlg::StatusIcon(int result) const {
    switch (result) {
        case RESULT_SUCCESS:
            return kIconSuccess;
        case RESULT_FAILURE:
            return kIconError;
        case RESULT_UNDER_WAY:
            return kIconOperating;
        default:
            return kIconNone;  // not started, or a value the store should not hold
    }
}

void CDevicesControlDlg::FillGrid(const std::vector<ap_info_stu>& devices) {
    grid_->SetRedraw(false);
    grid_->DeleteNonFixedRows();
    row_of_mac_.clear();
    const app_settings_stu* settings = Settings();
    const QFont body_font = settings != nullptr ? GridFont(settings->grid_font) : QFont();
    const QColor text_colour = SettingColour(&app_settings_stu::GridTextColor, Qt::black);
    constexpr unsigned kDataFormat = kGridTextLeft | kGridTextVCentre | kGridTextSingleLine;
    int number = 1;
    for (const ap_info_stu& device : devices) {
        const std::string mac = ReadFixedText(device.mac);
        // The statuses came with the row; folding them here is what the store's
        // GetOverallResult does, without a query per row.
        const int result =
            EvaluateResult(device.para_status, device.logo_status, device.antitheft_status);
        const int row = grid_->AppendRow();
        grid_->SetItemText(row, kColumnNumber, QString::number(number++));
        grid_->SetItemText(row, kColumnMac, QString::fromStdString(mac));
        for (int column = 0; column < kDeviceGridColumns; ++column) {
            grid_->SetItemFormat(row, column, kDataFormat);
            grid_->SetItemFont(row, column, body_font);
            grid_->SetItemFgColour(row, column, text_colour);
        }
        grid_->SetItemImage(row, kColumnStatus, StatusIcon(result));
        grid_->SetItemImage(row, kColumnTick, kIconUnselect);
        grid_->SetRowHeight(row, kGridRowHeight);
        row_of_mac_.emplace(mac, row);
    }
    tick_states_.assign(static_cast<size_t>(grid_->GetRowCount()), 0);
    SetHeaderTick(kHeaderNone);
    ticked_count_ = 0;
    grid_->SetRedraw(true);
    grid_->AdjustScrollBars();
}

bool CDevicesControlDlg::RowTicked(int row) const {
    return row > 0 && row < static_cast<int>(tick_states_.size()) &&
           tick_states_[static_cast<size_t>(row)] != 0;
}

void CDevicesControlDlg::SetRowTick(int row, bool ticked) {
    tick_states_[static_cast<size_t>(row)] = ticked ? 1 : 0;
    grid_->SetItemImage(row, kColumnTick, ticked ? kIconSelect : kIconUnselect);
}

void CDevicesControlDlg::SetHeaderTick(int state) {
    tick_states_[0] = state;
    grid_->SetItemImage(0, kColumnTick,
                        state == kHeaderAll    ? kIconSelect
                        : state == kHeaderSome ? kIconPartSelect
                                               : kIconUnselect);
}

void CDevicesControlDlg::OnGridClick(int row, int column) {
    const int rows = grid_->GetRowCount();
    if (row < 0 || row >= rows || row >= static_cast<int>(tick_states_.size())) {
        return;
    }
    grid_->SetRedraw(false);
    if (row == 0 && (column == kColumnMac || column == kColumnStatus)) {
        RefreshDevices(true, sort_ascending_, column, QString());
        sort_ascending_ = !sort_ascending_;
    } else if (row == 0 && column == kColumnTick) {
        const bool tick_all = tick_states_[0] == kHeaderNone;
        ticked_count_ = tick_all ? rows - 1 : 0;
        for (int r = 1; r < rows; ++r) {
            SetRowTick(r, tick_all);
        }
    } else if (row > 0 && column == kColumnTick) {
        const bool ticked = tick_states_[static_cast<size_t>(row)] != 0;
        SetRowTick(row, !ticked);
        ticked_count_ = ticked ? std::max(0, ticked_count_ - 1) : ticked_count_ + 1;
    }
    const int data_rows = grid_->GetRowCount() - 1;
    SetHeaderTick(ticked_count_ == data_rows && ticked_count_ != 0 ? kHeaderAll
                  : ticked_count_ > 0                              ? kHeaderSome
                                                                   : kHeaderNone);
    grid_->SetRedraw(true);
    online_count_->SetText(QString::number(ticked_count_));
}

void CDevicesControlDlg::CollectSelectedDevices() {
    selected_.clear();
    for (int row = 1; row < grid_->GetRowCount(); ++row) {
        if (RowTicked(row)) {
            selected_.push_back(grid_->GetItemText(row, kColumnMac).toStdString());
        }
    }
}

void CDevicesControlDlg::OnApply(PageId target) {
    CollectSelectedDevices();
    if (selected_.empty()) {
        ShowNote(TrText("Note"), TrText("Please select the devices!"), NoteButtons::kOkOnly, this);
        return;
    }
    CPageHost* host = MainWindowHost();
    if (host == nullptr) {
        return;
    }
    host->ShowPage(target);
    if (CPage* page = host->Page(target)) {
        page->SetSelectedDevices(selected_);
    }
}

void CDevicesControlDlg::OnScanDevices() {
    if (!scan_idle_) {
        return;
    }
    AcTransmitManage* manager = Manager();
    CSqlManagement* store = Store();
    if (manager == nullptr || store == nullptr) {
        return;
    }
    scan_timer_.stop();
    scan_idle_ = false;
    EnableActions(false);
    // The listener of the adapter page's scan stays: same adapter, same segment.
    scan_ = std::make_unique<CScanRun>(*manager, *store);
    scan_->Start(CScanRun::Listener::kKeep);
    scan_timer_.start();
}

void CDevicesControlDlg::OnScanTimer() {
    if (!scan_ || !scan_->Tick().done) {
        return;
    }
    scan_timer_.stop();
    scan_.reset();
    scan_idle_ = true;
    EnableActions(true);
    RefreshDevices(true, sort_ascending_, kColumnMac, QString());
}

void CDevicesControlDlg::OnPageMessage(int message, QObject* sender) {
    if ((message != WM_ANTITHEFT_STARTED && message != WM_CUSTOMIZE_STARTED) || sender == nullptr) {
        return;
    }
    grid_->SetRedraw(false);
    for (int row = 1; row < grid_->GetRowCount(); ++row) {
        grid_->SetItemImage(row, kColumnStatus, kIconNone);
    }
    grid_->SetRedraw(true);
    EnableActions(false);
    poll_timer_.stop();
    count_timer_.stop();
    stop_timer_.stop();
    if (CSqlManagement* store = Store()) {
        report_wait_ = std::make_unique<CReportWait>(*store, selected_);
    }
    poll_elapsed_ = 0;
    poll_timer_.start();
    count_timer_.start();
    stop_timer_.start();
}

void CDevicesControlDlg::PollSelectedResults() {
    if (!report_wait_) {
        return;
    }
    report_wait_->Tick();
    grid_->SetRedraw(false);
    const std::vector<std::string>& macs = report_wait_->Devices();
    const std::vector<int>& results = report_wait_->Results();
    for (size_t i = 0; i < macs.size(); ++i) {
        UpdateDeviceRow(macs[i], results[i]);
    }
    grid_->SetRedraw(true);
}

void CDevicesControlDlg::UpdateDeviceRow(const std::string& mac, int result) {
    auto found = row_of_mac_.find(mac);
    if (found != row_of_mac_.end() && found->second < grid_->GetRowCount()) {
        const int row = found->second;
        SetRowTick(row, false);
        grid_->SetItemImage(row, kColumnStatus, StatusIcon(result));
    }
    ClearAllTicks();
}

void CDevicesControlDlg::ClearAllTicks() {
    // Only rows still drawn ticked need their icon changed; the states all go.
    for (size_t row = 1; row < tick_states_.size(); ++row) {
        if (tick_states_[row] != 0) {
            SetRowTick(static_cast<int>(row), false);
        }
    }
    SetHeaderTick(kHeaderNone);
    ticked_count_ = 0;
}

void CDevicesControlDlg::OnStopTimer() {
    poll_elapsed_ +=
        static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(kStopPeriod).count());
    if (poll_elapsed_ < kStopAfterSeconds &&
        success_count_ + failure_count_ != static_cast<int>(selected_.size())) {
        return;
    }
    stop_timer_.stop();
    poll_timer_.stop();
    count_timer_.stop();
    selected_.clear();
    report_wait_.reset();
    poll_elapsed_ = 0;
    EnableActions(true);
}

void CDevicesControlDlg::EnableActions(bool enable) {
    customize_->setEnabled(enable);
    antitheft_->setEnabled(enable);
    grid_->setEnabled(enable);
    change_->setEnabled(enable);
    scan_button_->setEnabled(enable);
    scan_button_->setText(QString::fromUtf8(enable ? kScanCaption : kScanningCaption));
    busy_->setVisible(!enable);
    if (enable) {
        busy_->Stop();
    } else {
        busy_->Start();
    }
}

void CDevicesControlDlg::OnChange() {
    CPageHost* host = MainWindowHost();
    if (host != nullptr) {
        if (auto* adapters = dynamic_cast<CSelectAdapterDlg*>(host->Page(PAGE_ADAPTER))) {
            adapters->RefreshAdapterList();
        }
        host->ShowPage(PAGE_ADAPTER);
    }
    std::fill(tick_states_.begin(), tick_states_.end(), 0);
    ticked_count_ = 0;
}

}  // namespace plindar
