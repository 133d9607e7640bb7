// The page tests' engine.
#include "ui/page_test_engine.h"

#include "app/application_app.h"
#include "protocol/adapter_choice.h"
#include "protocol/scan_run.h"
#include "support/wait_for.h"

namespace plindar::test {

namespace {

sim_device_options Count(uint32_t count) {
    sim_device_options devices;
    devices.count = count;
    return devices;
}

}  // namespace

CPageTestEngine::CPageTestEngine(uint32_t device_count) : CPageTestEngine(Count(device_count)) {}

CPageTestEngine::CPageTestEngine(const sim_device_options& devices) : device_count_(devices.count) {
    network_ = std::make_unique<CSimulatedNetwork>(devices);
    std::string error;
    network_->Start(&error);
    store_ = std::make_unique<CSqlManagement>(folder_.Path(), nullptr);
    manager_ = std::make_unique<AcTransmitManage>(store_.get(), network_->Provider());
    manager_->SetRunLogFolder(folder_.Path());
    if (CApplicationApp* app = CApplicationApp::GetApp()) {
        app->transmit_manager = manager_.get();
        app->results_store = store_.get();
    }
}

CPageTestEngine::~CPageTestEngine() {
    if (CApplicationApp* app = CApplicationApp::GetApp()) {
        app->transmit_manager = nullptr;
        app->results_store = nullptr;
    }
    manager_.reset();
    store_.reset();
    network_->Stop();
}

bool CPageTestEngine::ScanNow() {
    if (ChooseAdapter(*manager_, kSimAdapterName).result != AdapterChoiceResult::Ok) {
        return false;
    }
    CScanRun scan(*manager_, *store_);
    return scan.Start() &&
           WaitFor([&] { return store_->CountDevices() == static_cast<int>(device_count_); });
}

}  // namespace plindar::test
