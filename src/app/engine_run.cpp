// Building and tearing down the engine's objects for one run.
#include "app/engine_run.h"

#include <cstdlib>
#include <filesystem>

#include "protocol/ac_transmit_manage.h"
#include "protocol/pcap_link.h"
#include "records/program_folder.h"
#include "sim/simulated_network.h"

namespace plindar {

namespace {

const char* const kShippedResources[] = {"Setting.ini", "Languages", "IniTemplate", "ExcelTemplate",
                                         "Skin"};

sim_device_options SimDeviceOptions(const run_options_stu& options) {
    sim_device_options devices;
    devices.count = options.simulate_count;
    const sim_options_stu& sim = options.sim;
    devices.seed = sim.seed;
    devices.receive_loss = sim.loss;
    devices.send_loss = sim.loss;
    devices.fail_para = sim.fail_config;
    devices.fail_logo = sim.fail_logo;
    devices.silent = sim.silent;
    devices.lock_code = sim.lock_code;
    // With loss a report can vanish like any frame; devices repeat it so that a
    // lossy demonstration still shows every outcome.
    devices.report_copies = sim.loss > 0 ? 3 : 1;
    return devices;
}

}  // namespace

void SeedProgramFolder(const std::string& folder) {
    const std::string shipped = GetExecutableFolder();
    std::error_code same_error;
    if (std::filesystem::equivalent(shipped, folder, same_error)) {
        return;
    }
    for (const char* name : kShippedResources) {
        std::error_code ignored;
        std::filesystem::copy(
            shipped + name, folder + "/" + name,
            std::filesystem::copy_options::recursive | std::filesystem::copy_options::skip_existing,
            ignored);
    }
}

void UseProgramFolder(const std::string& home) {
    if (home.empty()) {
        return;
    }
    std::error_code ignored;
    std::filesystem::create_directories(home, ignored);
    setenv("PLINDAR_HOME", home.c_str(), 1);
    SeedProgramFolder(home);
}

CEngineRun::CEngineRun() = default;

CEngineRun::~CEngineRun() {
    Stop();
}

bool CEngineRun::Start(const run_options_stu& options, operator_message_fn store_sink,
                       operator_message_fn manager_sink, std::string* error) {
    if (options.simulate) {
        simulation_ = std::make_unique<CSimulatedNetwork>(SimDeviceOptions(options));
        if (!simulation_->Start(error)) {
            simulation_.reset();
            return false;
        }
        link_ = simulation_->Provider();
    } else {
        link_ = std::make_shared<CPcapLinkProvider>();
    }
    store_ = &CSqlManagement::CreateInstance(GetProgramFolder(), std::move(store_sink));
    manager_ = &AcTransmitManage::GetInstance();
    manager_->SetLinkProvider(link_);
    manager_->SetMessageSink(std::move(manager_sink));
    return true;
}

void CEngineRun::Stop() {
    if (manager_ != nullptr) {
        AcTransmitManage::ReleaseInstance();
        manager_ = nullptr;
    }
    if (store_ != nullptr) {
        CSqlManagement::ReleaseInstance();
        store_ = nullptr;
    }
    if (simulation_) {
        simulation_->Stop();
        simulation_.reset();
    }
    link_.reset();
}

}  // namespace plindar
