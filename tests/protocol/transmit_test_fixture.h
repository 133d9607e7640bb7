// A store, a manager and a simulated segment of virtual devices, with the devices
// already in the store, for tests of transfers and reports.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "protocol/ac_transmit_manage.h"
#include "protocol/fixed_text.h"
#include "records/sql_management.h"
#include "sim/simulated_network.h"
#include "support/temp_folder.h"
#include "support/wait_for.h"

namespace plindar::test {

class TransmitFixture : public ::testing::Test {
protected:
    // Starts `options.count` devices and puts a row for each into the store.
    void StartDevices(sim_device_options options) {
        options.record_transfers = true;
        store_ = std::make_unique<CSqlManagement>(folder_.Path(), nullptr);
        network_ = std::make_unique<CSimulatedNetwork>(options);
        std::string error;
        ASSERT_TRUE(network_->Start(&error)) << error;
        manager_ = std::make_unique<AcTransmitManage>(store_.get(), network_->Provider());
        manager_->SetAdapterMac(kSimAdapterMac);
        manager_->SetAdapterDeviceName(kSimAdapterName);
        manager_->SetRunLogFolder(folder_.Path());
        ASSERT_TRUE(manager_->Init());
        for (const sim_device& device : network_->Devices().Devices()) {
            ap_discover_stu row{};
            WriteFixedText(row.mac, FormatMacText(device.mac));
            ASSERT_TRUE(store_->InsertDevice(row));
        }
    }

    void TearDown() override {
        manager_.reset();  // workers and listener first
        network_.reset();
        store_.reset();
    }

    std::string Mac(size_t index) const {
        return FormatMacText(network_->Devices().Devices()[index].mac);
    }
    mac_address MacBytes(size_t index) const { return network_->Devices().Devices()[index].mac; }

    std::string WriteFile(const std::string& name, const std::string& content) {
        std::string path = folder_.Path() + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    static std::string Pattern(size_t length) {
        std::string bytes(length, '\0');
        for (size_t i = 0; i < length; ++i) {
            bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
        }
        return bytes;
    }

    bool Start(const transmit_job_stu& job) { return manager_->StartTransmitJob(job); }
    transmit_job_stu Job(size_t device, TransmitJobKind kind) {
        return MakeTransmitJob(MacBytes(device), kSimAdapterMac, kind);
    }
    bool WaitForWorkers() {
        return manager_->GetTransmitWorkers().WaitAll(std::chrono::seconds(60));
    }
    transmit_counters& Counters() { return manager_->GetTransmitWorkers().Counters(); }

    ap_info_stu Row(size_t device) {
        ap_info_stu row{};
        std::vector<ap_info_stu> rows;
        int total = 0, ok = 0, failed = 0;
        store_->QueryDevices(&rows, &total, &ok, &failed, true, SORT_BY_MAC, Mac(device));
        return rows.empty() ? row : rows[0];
    }

    uint32_t Copies(size_t device, uint16_t type, uint16_t sequence) {
        uint32_t copies = 0;
        network_->Devices().WithModel([&](const CDeviceModel& model) {
            copies = model.CopiesReceived(MacBytes(device), type, sequence);
        });
        return copies;
    }

    std::vector<sim_transfer_record> Received() {
        std::vector<sim_transfer_record> records;
        network_->Devices().WithModel(
            [&](const CDeviceModel& model) { records = model.CompletedTransfers(); });
        return records;
    }

    TempFolder folder_;
    std::unique_ptr<CSqlManagement> store_;
    std::unique_ptr<CSimulatedNetwork> network_;
    std::unique_ptr<AcTransmitManage> manager_;
};

}  // namespace plindar::test
