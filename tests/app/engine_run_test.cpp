// The engine's objects for a run: built in one place, and torn down in order while
// an apply run is in full swing, as closing the window in the middle of one does.
#include "app/engine_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "content/apply_jobs.h"
#include "protocol/ac_transmit_manage.h"
#include "protocol/adapter_choice.h"
#include "protocol/scan_run.h"
#include "records/program_folder.h"
#include "sim/simulated_network.h"
#include "support/temp_folder.h"
#include "support/wait_for.h"

namespace plindar {
namespace {

constexpr uint32_t kDevices = 16;
constexpr size_t kFileBytes = 64 * 1024;

TEST(EngineRun, StopsMidRunWithEveryWorkerJoinedAndEveryLogLineWhole) {
    test::TempFolder home;
    // The program folder is fixed at its first use, which is in this test.
    setenv("PLINDAR_HOME", home.Path().c_str(), 1);
    ASSERT_EQ(GetProgramFolder(), home.Path());

    run_options_stu options;
    options.simulate = true;
    options.simulate_count = kDevices;
    options.sim.loss = 0.02;  // retransmissions keep the workers busy for longer
    CEngineRun engine;
    std::string error;
    ASSERT_TRUE(engine.Start(options, nullptr, nullptr, &error)) << error;
    ASSERT_NE(engine.Simulation(), nullptr);
    AcTransmitManage& manager = *engine.Manager();
    CSqlManagement& store = *engine.Store();
    EXPECT_EQ(&manager, &AcTransmitManage::GetInstance());
    EXPECT_EQ(&store, &CSqlManagement::GetInstance());

    ASSERT_EQ(ChooseAdapter(manager, kSimAdapterName).result, AdapterChoiceResult::Ok);
    CScanRun scan(manager, store);
    ASSERT_TRUE(scan.Start());
    ASSERT_TRUE(test::WaitFor([&] { return store.CountDevices() == int(kDevices); }));

    const std::string file = home.Path() + "config.xml";
    std::ofstream(file, std::ios::binary) << std::string(kFileBytes, 'x');
    std::vector<std::string> macs;
    for (const ap_discover_stu& device : manager.GetDevices()) {
        macs.emplace_back(device.mac);
    }
    apply_start start = SendFiles(manager, store, macs, JOB_PARA, "", file);
    ASSERT_TRUE(start.ok) << start.message;
    ASSERT_EQ(start.started.size(), kDevices);
    // Stop once reports are being written and while transfers still run.
    ASSERT_TRUE(test::WaitFor([&] { return manager.GetRecordedReportCount() > 0; }));
    const size_t running = manager.GetTransmitWorkers().Running();

    engine.Stop();
    EXPECT_EQ(engine.Manager(), nullptr);
    EXPECT_EQ(engine.Store(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(home.Path() + "data.mdb"));
    engine.Stop();  // a second stop is harmless

    size_t lines = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home.Path() + "Log")) {
        if (!entry.is_regular_file()) {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const std::string log = text.str();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.substr(log.size() - 2), "\r\n") << entry.path() << " ends mid-line";
        for (size_t at = log.find("\r\n"); at != std::string::npos; at = log.find("\r\n", at + 2)) {
            ++lines;
        }
    }
    EXPECT_GT(lines, 0u);
    RecordProperty("workers_running_at_stop", static_cast<int>(running));
}

}  // namespace
}  // namespace plindar
