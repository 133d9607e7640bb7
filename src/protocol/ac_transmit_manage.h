// The transmit manager: the adapter in use, discovery, and the listener and manage
// threads that turn discovery answers into the device table and store rows.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "protocol/adapter_info.h"
#include "protocol/discover_record.h"
#include "protocol/frame_format.h"
#include "protocol/link.h"
#include "protocol/transmit_workers.h"
#include "records/run_log.h"

namespace plindar {

class CSqlManagement;

using frame_bytes = std::array<uint8_t, kFrameSize>;

class AcTransmitManage {
public:
    // `store` receives every device found; `link` reaches the wire.
    AcTransmitManage(CSqlManagement* store, std::shared_ptr<CLinkProvider> link);
    ~AcTransmitManage();
    AcTransmitManage(const AcTransmitManage&) = delete;
    AcTransmitManage& operator=(const AcTransmitManage&) = delete;

    // The process-wide manager over the process-wide store and libpcap; a front
    // end that simulates the segment swaps the link with SetLinkProvider before
    // the first Init. ReleaseInstance stops its threads at shutdown.
    static AcTransmitManage& GetInstance();
    static void ReleaseInstance();

    void SetLinkProvider(std::shared_ptr<CLinkProvider> link);
    std::shared_ptr<CLinkProvider> GetLinkProvider();

    // Where "pcap_findalldevs error" goes (a message box in the window, stderr in
    // the command line); the diagnostic log when nobody set one.
    void SetMessageSink(std::function<void(const std::string&)> sink);

    // (Re)starts the listener and manage threads on the adapter in use. Threads of
    // an earlier Init are told to stop and joined first. True when both started.
    bool Init();
    // Stops and joins both threads (also done by Init and the destructor).
    void StopThreads();

    // Broadcasts one discovery request on the adapter in use; false when the
    // adapter could not be opened or the frame not sent.
    bool SendDiscover();
    void ClearDevices();

    // Adapters (state 1 only, in the lister's order) and the capture device of one.
    void GetAdapterList(std::vector<adapter_info_stu>* adapters);
    bool SelectPcapDevice(const adapter_info_stu& adapter);

    // The adapter in use: set by the adapter page, read by the threads and the
    // transmit workers, so every access is locked.
    void SetAdapterMac(const mac_address& mac);
    mac_address GetAdapterMac();
    void SetAdapterDeviceName(const std::string& name);
    std::string GetAdapterDeviceName();

    // A copy of the device table, in discovery order.
    std::vector<ap_discover_stu> GetDevices();
    size_t GetDeviceCount();
    // Frames report handling has dealt with since construction, and the
    // result reports among them that were recorded.
    uint64_t GetReportFrameCount();
    uint64_t GetRecordedReportCount() { return recorded_reports_.load(); }

    // Where the run logs go; the program folder unless set (tests set it).
    void SetRunLogFolder(const std::string& folder);
    // Whether the listener of the last Init has its capture handle open.
    bool IsListening();

    // Starts one transmit worker for a device's job (see CTransmitWorkers::Start).
    bool StartTransmitJob(const transmit_job_stu& job);
    CTransmitWorkers& GetTransmitWorkers() { return transmit_workers_; }

    // A device's result report or any other frame that is not a discovery answer.
    void HandleReport(const transmit_frame_stu& frame, const std::string& mac_text);

private:
    // The threads of one Init, with what they share. A new Init makes a new
    // generation, so a thread being stopped never touches the next one's state.
    struct listener_generation {
        std::mutex mutex;  // the frame-queue lock
        std::condition_variable manage_event;
        std::deque<frame_bytes> answers;
        bool stop = false;
        std::unique_ptr<CLinkHandle> handle;
        bool listening = false;
        std::thread listener;
        std::thread manager;
    };

    void RecvDiscoverProc(listener_generation* generation);
    void ManageDiscoverProc(listener_generation* generation);
    void AddDevice(const frame_bytes& answer);
    void ReportMessage(const std::string& text);

    CSqlManagement* store_;

    std::mutex adapter_lock_;  // adapter MAC, device name, link provider, message sink
    mac_address adapter_mac_{};
    std::string adapter_device_name_;
    std::shared_ptr<CLinkProvider> link_;
    std::function<void(const std::string&)> message_sink_;

    std::mutex adapter_list_lock_;  // serialises GetAdapterList

    std::mutex device_table_lock_;
    std::vector<ap_discover_stu> device_table_;
    std::unordered_set<std::string> device_macs_;

    std::mutex threads_lock_;  // Init, StopThreads and IsListening
    std::unique_ptr<listener_generation> generation_;

    std::atomic<uint64_t> report_frames_{0};
    std::atomic<uint64_t> recorded_reports_{0};
    // Run-log writer of the listener; its lock is held for each entry.
    COperateCharacter run_log_writer_;
    std::string run_log_folder_;  // guarded by adapter_lock_

    // Last member: destroyed first, so no worker outlives what it reads.
    CTransmitWorkers transmit_workers_;
};

// "description (aa:bb:cc:dd:ee:ff)", the MAC in lower case.
std::string FormatAdapterText(const adapter_info_stu& adapter);

// Index of the capture device for an adapter name: an exact name match wins,
// else the first name that contains it; -1 when none does.
int FindCaptureDevice(const std::vector<std::string>& devices, const std::string& adapter_name);

}  // namespace plindar
