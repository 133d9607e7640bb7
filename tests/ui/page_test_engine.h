// An engine for page tests: a simulated segment, a store and a transmit manager of
// the test's own (in a temporary folder), put into the application object where
// the pages look for them, and taken out again on destruction.
#pragma once

#include <memory>
#include <string>

#include "protocol/ac_transmit_manage.h"
#include "records/sql_management.h"
#include "sim/simulated_network.h"
#include "support/temp_folder.h"

namespace plindar::test {

class CPageTestEngine {
public:
    explicit CPageTestEngine(const sim_device_options& devices);
    explicit CPageTestEngine(uint32_t device_count);
    ~CPageTestEngine();

    AcTransmitManage& Manager() { return *manager_; }
    CSqlManagement& Store() { return *store_; }
    CSimulatedNetwork& Network() { return *network_; }
    // The temporary folder the store, run logs and written files live in.
    const std::string& Folder() const { return folder_.Path(); }

    // Chooses the simulated adapter and fills the store with every device, as a
    // finished scan leaves it, without waiting for any timer. False on failure.
    bool ScanNow();

private:
    TempFolder folder_;
    std::unique_ptr<CSimulatedNetwork> network_;
    std::unique_ptr<CSqlManagement> store_;
    std::unique_ptr<AcTransmitManage> manager_;
    uint32_t device_count_ = 0;
};

}  // namespace plindar::test
