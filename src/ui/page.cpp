// Pages of the main window and the one place that decides which class each is.
#include "ui/page.h"

#include <array>

#include "ui/antitheft/antitheft_page.h"
#include "ui/customize/customize_page.h"
#include "ui/pages/adapter_page.h"
#include "ui/pages/devices_page.h"

namespace plindar {

namespace {

// Each page's size, as its layout is drawn.
struct page_shape_stu {
    PageId id;
    QSize size;
    bool round_corners;
};

constexpr std::array<page_shape_stu, 4> kPageShapes = {{
    {PAGE_ADAPTER, QSize(324, 288), true},
    {PAGE_DEVICES, QSize(817, 492), false},
    {PAGE_CUSTOMIZE, QSize(420, 324), true},
    {PAGE_ANTITHEFT, QSize(420, 426), true},
}};

QColor PageFill() {
    const CApplicationApp* app = CApplicationApp::GetApp();
    return app != nullptr ? ToQColor(app->settings.ChildBkColor) : QColor(Qt::white);
}

}  // namespace

CPage::CPage(PageId id, QSize size, QWidget* parent)
    : CTDialog(parent, DialogKind::kChildPage), id_(id) {
    setFixedSize(size);
    setObjectName(QStringLiteral("page%1").arg(static_cast<int>(id)));
    hide();
}

CEmptyPage::CEmptyPage(PageId id, QSize size, bool round_corners, QWidget* parent)
    : CPage(id, size, parent) {
    SetFillColour(PageFill());
    SetFill(true);
    if (round_corners) {
        ApplyRoundCorners(this);
    }
}

void PostPageMessage(CPageHost* host, int target, int message, QObject* sender) {
    CPage* page = host != nullptr ? host->Page(target) : nullptr;
    if (page == nullptr) {
        return;
    }
    QPointer<CPage> receiver = page;
    QPointer<QObject> from = sender;
    QMetaObject::invokeMethod(
        page,
        [receiver, from, message] {
            if (receiver != nullptr) {
                receiver->OnPageMessage(message, from.data());
            }
        },
        Qt::QueuedConnection);
}

CPageHost* MainWindowHost() {
    const CApplicationApp* app = CApplicationApp::GetApp();
    return app != nullptr ? app->main_window : nullptr;
}

CPage* CreatePage(PageId id, QWidget* parent) {
    switch (id) {
    case PAGE_ADAPTER:
        return new CSelectAdapterDlg(parent);
    case PAGE_DEVICES:
        return new CDevicesControlDlg(parent);
    case PAGE_ANTITHEFT:
        return new CAntiTheftProtectionDlg(parent);
    case PAGE_CUSTOMIZE:
        return new CDeviceCustomizationDlg(parent);
    default:
        break;
    }
    for (const page_shape_stu& shape : kPageShapes) {
        if (shape.id == id) {
            return new CEmptyPage(id, shape.size, shape.round_corners, parent);
        }
    }
    return nullptr;
}

}  // namespace plindar
