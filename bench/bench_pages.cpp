// Figures of the device list on a large batch, offscreen: how long the UI thread is
// busy in a refill, in one poll of every selected device and in a header sort, and
// the longest stall of the UI thread while an anti-theft run goes to every device.
//
//   bench_pages [--devices N] [--run-devices M]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "app/application_app.h"
#include "app/main_window.h"
#include "content/antitheft_command.h"
#include "content/apply_jobs.h"
#include "content/config_xml.h"
#include "protocol/ac_transmit_manage.h"
#include "protocol/adapter_choice.h"
#include "protocol/fixed_text.h"
#include "protocol/scan_run.h"
#include "records/sql_management.h"
#include "sim/simulated_network.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/pages/devices_page.h"

using namespace plindar;

namespace {

using steady = std::chrono::steady_clock;

// The engine of one figure: simulated devices, a store in a temporary folder, a
// manager, and a finished scan.
struct bench_engine {
    std::string folder;
    std::unique_ptr<CSimulatedNetwork> network;
    std::unique_ptr<CSqlManagement> store;
    std::unique_ptr<AcTransmitManage> manager;

    bool Start(uint32_t devices) {
        char pattern[] = "/tmp/plindar-bench-pages-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            return false;
        }
        folder = std::string(pattern) + "/";
        sim_device_options options;
        options.count = devices;
        network = std::make_unique<CSimulatedNetwork>(options);
        std::string error;
        if (!network->Start(&error)) {
            std::fprintf(stderr, "simulated devices: %s\n", error.c_str());
            return false;
        }
        store = std::make_unique<CSqlManagement>(folder, nullptr);
        manager = std::make_unique<AcTransmitManage>(store.get(), network->Provider());
        manager->SetRunLogFolder(folder);
        if (ChooseAdapter(*manager, kSimAdapterName).result != AdapterChoiceResult::Ok) {
            return false;
        }
        CScanRun scan(*manager, *store);
        if (!scan.Start()) {
            return false;
        }
        const auto limit = steady::now() + std::chrono::seconds(60);
        while (store->CountDevices() < static_cast<int>(devices) && steady::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (store->CountDevices() != static_cast<int>(devices)) {
            std::fprintf(stderr, "could not scan %u simulated devices\n", devices);
            return false;
        }
        // Where the pages look for the engine.
        CApplicationApp::GetApp()->transmit_manager = manager.get();
        CApplicationApp::GetApp()->results_store = store.get();
        return true;
    }

    ~bench_engine() {
        CApplicationApp::GetApp()->transmit_manager = nullptr;
        CApplicationApp::GetApp()->results_store = nullptr;
        manager.reset();
        store.reset();
        if (network) {
            network->Stop();
        }
        if (!folder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    }
};

template <typename F>
double Millis(F&& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    // What the work left for the event loop (repaints) counts as well.
    QApplication::processEvents();
    return timer.nsecsElapsed() / 1e6;
}

// The window on its device list, filled from the store.
CDevicesControlDlg* OpenDeviceList(CApplicationDlg* window) {
    window->show();
    window->ShowPage(PAGE_DEVICES);
    QApplication::processEvents();
    return dynamic_cast<CDevicesControlDlg*>(window->Page(PAGE_DEVICES));
}

void TickAll(CDevicesControlDlg* page) {
    QApplication::processEvents();
    page->OnGridClick(0, kColumnTick);  // the header: every row ticked
    page->CollectSelectedDevices();
}

}  // namespace

int main(int argc, char** argv) {
    uint32_t devices = 1000;
    uint32_t run_devices = 256;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i];
        if (name == "--devices")
            devices = static_cast<uint32_t>(std::atoi(argv[i + 1]));
        if (name == "--run-devices")
            run_devices = static_cast<uint32_t>(std::atoi(argv[i + 1]));
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    int qt_argc = 1;
    CApplicationApp app(qt_argc, argv);
    app.LoadLookAndFeel(std::string(PLINDAR_STAGE_DIR) + "/");

    {
        bench_engine engine;
        if (!engine.Start(devices)) {
            return 1;
        }
        CApplicationDlg window(TrayMode::kNoTray);
        CDevicesControlDlg* page = OpenDeviceList(&window);

        const double refill =
            Millis([&] { page->RefreshDevices(true, true, kColumnMac, QString()); });
        TickAll(page);
        for (const std::string& mac : page->SelectedDevices()) {
            engine.store->SetAntiTheftStatus(mac, 2);
        }
        const double poll = Millis([&] {
            page->OnPageMessage(WM_ANTITHEFT_STARTED, &window);
            page->PollSelectedResults();
        });
        const double sort = Millis([&] { page->OnGridClick(0, kColumnStatus); });
        std::printf(
            "%u devices: RefreshDevices with refill %.1f ms, one poll of all %.1f ms, "
            "header sort %.1f ms\n",
            devices, refill, poll, sort);
        page->OnStopTimer();
    }

    {
        bench_engine engine;
        if (!engine.Start(run_devices)) {
            return 1;
        }
        CApplicationDlg window(TrayMode::kNoTray);
        CDevicesControlDlg* page = OpenDeviceList(&window);
        page->RefreshDevices(true, true, kColumnMac, QString());
        TickAll(page);

        // A heartbeat on the UI thread: its longest gap is the longest stall.
        constexpr int kBeatMs = 5;
        QElapsedTimer beat;
        qint64 longest_gap_ns = 0;
        QTimer heartbeat;
        heartbeat.setTimerType(Qt::PreciseTimer);
        heartbeat.setInterval(kBeatMs);
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            longest_gap_ns = std::max(longest_gap_ns, beat.nsecsElapsed());
            beat.restart();
        });
        beat.start();
        heartbeat.start();

        antitheft_values values;
        values.lock_code = values.confirm_lock_code = "Ab12";
        values.enable = true;
        values.ac_name = "AC-01";
        values.primary_dns = "8.8.8.8";
        QElapsedTimer run;
        run.start();
        double start_ms = 0;
        QTimer::singleShot(0, [&] {
            QElapsedTimer start;
            start.start();
            page->OnPageMessage(WM_ANTITHEFT_STARTED, &window);
            apply_start started = SendAntiTheftCommand(*engine.manager, *engine.store,
                                                       page->SelectedDevices(), values);
            start_ms = start.nsecsElapsed() / 1e6;
            if (!started.ok) {
                std::fprintf(stderr, "%s\n", started.message.c_str());
            }
        });
        // The page ends its polling on its own; wait for that.
        QTimer done;
        done.setInterval(100);
        QObject::connect(&done, &QTimer::timeout, [&] {
            if (run.elapsed() > 1000 && page->ScanIdle() && page->AntiTheftButton() &&
                page->SelectedDevices().empty()) {
                QApplication::quit();
            }
        });
        done.start();
        app.exec();
        std::printf(
            "anti-theft run on %u devices: start %.1f ms on the UI thread, %d "
            "succeeded, %d failed, polling over after %.1f s, longest UI stall %.1f ms\n",
            run_devices, start_ms, page->SuccessCount(), page->FailureCount(),
            run.elapsed() / 1000.0, longest_gap_ns / 1e6 - kBeatMs);
    }

    {
        // A customization run's start: one rewritten configuration file per device
        // from its sheet row, then its worker, all on the UI thread as Apply does.
        bench_engine engine;
        if (!engine.Start(run_devices)) {
            return 1;
        }
        const std::string config = engine.folder + "config.xml";
        std::ofstream(config, std::ios::binary)
            << "<Config>\r\n  <Value Name=\"LOID\" Value=\"loid\"/>\r\n"
               "  <Dir Name=\"ATM_VC_TBL\">\r\n    <Value Name=\"vid\" Value=\"100\"/>\r\n"
               "  </Dir>\r\n</Config>\r\n";
        customize_run run;
        run.program_folder = engine.folder;
        run.chosen_xml = config;
        run.mode = 2;
        run.sheet_generated = true;
        custom_value_stu templ{};
        std::string message;
        if (!ParseTemplateXml(config, &templ, &message)) {
            std::fprintf(stderr, "%s\n", message.c_str());
            return 1;
        }
        std::vector<std::string> macs;
        for (const ap_discover_stu& device : engine.manager->GetDevices()) {
            macs.emplace_back(device.mac);
            custom_value_stu values = templ;
            std::snprintf(values.loid, sizeof(values.loid), "loid-%zu", macs.size());
            run.records.push_back(values);
        }
        QElapsedTimer start;
        start.start();
        apply_start started = StartCustomizeJobs(*engine.manager, *engine.store, macs, run);
        const double start_ms = start.nsecsElapsed() / 1e6;
        std::printf(
            "customization run on %u devices with a sheet: Apply to the last worker "
            "started %.1f ms (%zu started)\n",
            run_devices, start_ms, started.started.size());
        engine.manager->GetTransmitWorkers().WaitAll(std::chrono::seconds(60));
    }
    return 0;
}
