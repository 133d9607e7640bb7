// Pages of the main window and the one place that decides which class each is.
#include "ui/page.h"

#include "ui/antitheft/antitheft_page.h"
#include "ui/customize/customize_page.h"
#include "ui/pages/adapter_page.h"
#include "ui/pages/devices_page.h"

namespace plindar {

CPage::CPage(PageId id, QSize size, QWidget* parent)
    : CTDialog(parent, DialogKind::kChildPage), id_(id) {
    setFixedSize(size);
    setObjectName(QStringLiteral("page%1").arg(static_cast<int>(id)));
    hide();
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
    }
    return nullptr;
}

}  // namespace plindar
