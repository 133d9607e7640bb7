// The engine's objects for one run of a front end, built in one place: the link
// provider, the results store, the transmit manager and, with --simulate, the
// simulated segment. Each front end's main owns one.
#pragma once

#include <memory>
#include <string>

#include "app/run_options.h"
#include "protocol/link.h"
#include "records/sql_management.h"

namespace plindar {

class AcTransmitManage;
class CSimulatedNetwork;

// What ships beside the executable and a program folder needs to work. A folder
// named with --home gets the ones it lacks copied in; files already there are kept.
void SeedProgramFolder(const std::string& folder);

// Makes `home` the program folder (PLINDAR_HOME) and seeds it. Must run before
// anything asks for the program folder; nothing when `home` is empty.
void UseProgramFolder(const std::string& home);

class CEngineRun {
public:
    CEngineRun();
    ~CEngineRun();  // Stop()
    CEngineRun(const CEngineRun&) = delete;
    CEngineRun& operator=(const CEngineRun&) = delete;

    // Starts the simulated devices when asked for (false with the reason when they
    // cannot run), then makes the store in the program folder with `store_sink`
    // for its messages and the manager over the chosen link, with `manager_sink`.
    bool Start(const run_options_stu& options, operator_message_fn store_sink,
               operator_message_fn manager_sink, std::string* error);

    // Shutdown in order: every worker and the manager's threads told to stop and
    // joined, then the store they write to, then the simulated devices. Safe to
    // call twice.
    void Stop();

    AcTransmitManage* Manager() const { return manager_; }
    CSqlManagement* Store() const { return store_; }
    const std::shared_ptr<CLinkProvider>& Link() const { return link_; }
    CSimulatedNetwork* Simulation() const { return simulation_.get(); }

private:
    std::unique_ptr<CSimulatedNetwork> simulation_;
    std::shared_ptr<CLinkProvider> link_;
    AcTransmitManage* manager_ = nullptr;
    CSqlManagement* store_ = nullptr;
};

}  // namespace plindar
