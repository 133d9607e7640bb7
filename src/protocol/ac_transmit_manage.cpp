// Transmit manager: discovery, the listener thread and the manage thread.
#include "protocol/ac_transmit_manage.h"

#include <cstddef>
#include <cstring>
#include <ctime>

#include "protocol/fixed_text.h"
#include "protocol/mac_text.h"
#include "protocol/pcap_link.h"
#include "records/diagnostic_log.h"
#include "records/sql_management.h"

namespace plindar {

namespace {

// The listener sleeps on its handle; Interrupt() wakes it at once when told to
// stop, so this only bounds how long one wait may last.
constexpr std::chrono::milliseconds kListenerWait{1000};
// Pause after a failed receive (adapter gone, socket error) so that a broken
// handle cannot make the listener spin a core.
constexpr std::chrono::milliseconds kListenerErrorBackoff{200};

std::mutex& InstanceMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<AcTransmitManage>& InstanceSlot() {
    static std::unique_ptr<AcTransmitManage> instance;
    return instance;
}

std::string LocalTimeText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];  // roomier than the field: the compiler cannot bound the year
    std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

}  // namespace

static_assert(offsetof(ap_discover_stu, wpakey5) + sizeof(ap_discover_stu::wpakey5) -
                      offsetof(ap_discover_stu, ssid2) ==
                  kDeviceInfoSize,
              "the record's device information must mirror the frame's 200 bytes");

AcTransmitManage::AcTransmitManage(CSqlManagement* store, std::shared_ptr<CLinkProvider> link)
    : store_(store), link_(std::move(link)), transmit_workers_(this, store) {}

AcTransmitManage::~AcTransmitManage() {
    transmit_workers_.StopAll();
    StopThreads();
}

bool AcTransmitManage::StartTransmitJob(const transmit_job_stu& job) {
    return transmit_workers_.Start(job);
}

AcTransmitManage& AcTransmitManage::GetInstance() {
    std::lock_guard<std::mutex> lock(InstanceMutex());
    auto& instance = InstanceSlot();
    if (!instance) {
        instance = std::make_unique<AcTransmitManage>(&CSqlManagement::GetInstance(),
                                                      std::make_shared<CPcapLinkProvider>());
    }
    return *instance;
}

void AcTransmitManage::ReleaseInstance() {
    std::unique_ptr<AcTransmitManage> released;
    {
        std::lock_guard<std::mutex> lock(InstanceMutex());
        released = std::move(InstanceSlot());
    }
    // Destroyed outside the instance lock: stopping threads may take a moment.
}

void AcTransmitManage::SetLinkProvider(std::shared_ptr<CLinkProvider> link) {
    std::lock_guard<std::mutex> lock(adapter_lock_);
    link_ = std::move(link);
}

std::shared_ptr<CLinkProvider> AcTransmitManage::GetLinkProvider() {
    std::lock_guard<std::mutex> lock(adapter_lock_);
    return link_;
}

void AcTransmitManage::SetMessageSink(std::function<void(const std::string&)> sink) {
    std::lock_guard<std::mutex> lock(adapter_lock_);
    message_sink_ = std::move(sink);
}

void AcTransmitManage::ReportMessage(const std::string& text) {
    std::function<void(const std::string&)> sink;
    {
        std::lock_guard<std::mutex> lock(adapter_lock_);
        sink = message_sink_;
    }
    if (sink) {
        sink(text);
    } else {
        WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "%s", text.c_str());
    }
}

void AcTransmitManage::SetAdapterMac(const mac_address& mac) {
    std::lock_guard<std::mutex> lock(adapter_lock_);
    adapter_mac_ = mac;
}

mac_address AcTransmitManage::GetAdapterMac() {
    std::lock_guard<std::mutex> lock(adapter_lock_);
    return adapter_mac_;
}

void AcTransmitManage::SetAdapterDeviceName(const std::string& name) {
    std::lock_guard<std::mutex> lock(adapter_lock_);
    adapter_device_name_ = name;
}

std::string AcTransmitManage::GetAdapterDeviceName() {
    std::lock_guard<std::mutex> lock(adapter_lock_);
    return adapter_device_name_;
}

bool AcTransmitManage::Init() {
    StopThreads();

    std::shared_ptr<CLinkProvider> link = GetLinkProvider();
    std::string device = GetAdapterDeviceName();
    mac_address adapter = GetAdapterMac();

    auto generation = std::make_unique<listener_generation>();
    // The listener's handle is opened and filtered before Init returns, so that
    // answers to a discovery request sent right afterwards cannot be missed.
    link_open_options options;
    options.buffer_bytes = kListenerBufferBytes;
    LinkOpenError open_error = LinkOpenError::None;
    std::string open_text;
    generation->handle = link ? link->Open(device, options, &open_error, &open_text) : nullptr;
    if (!generation->handle) {
        WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "open adapter '%s' fail: %s", device.c_str(),
                         open_text.c_str());
    } else {
        // No blank between the address and "and": libpcap reads them apart.
        std::string filter =
            "ether dst " + FormatMacTextLower(adapter) + "and ether proto " + "0x6262";
        if (!generation->handle->SetFilter(filter)) {
            WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "set listener filter '%s' fail: %s", filter.c_str(),
                             generation->handle->LastError().c_str());
        }
        generation->listening = true;
    }

    listener_generation* shared = generation.get();
    try {
        if (shared->listening) {
            shared->listener = std::thread(&AcTransmitManage::RecvDiscoverProc, this, shared);
        }
    } catch (const std::system_error&) {
        WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "create thread_recv_discover fail");
        return false;
    }
    try {
        shared->manager = std::thread(&AcTransmitManage::ManageDiscoverProc, this, shared);
    } catch (const std::system_error&) {
        WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "create thread_manage_discover fail");
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->stop = true;
        }
        if (shared->listener.joinable()) {
            shared->handle->Interrupt();
            shared->listener.join();
        }
        return false;
    }

    std::lock_guard<std::mutex> lock(threads_lock_);
    generation_ = std::move(generation);
    return shared->listening;
}

void AcTransmitManage::StopThreads() {
    std::unique_ptr<listener_generation> generation;
    {
        std::lock_guard<std::mutex> lock(threads_lock_);
        generation = std::move(generation_);
    }
    if (!generation) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(generation->mutex);
        generation->stop = true;
    }
    generation->manage_event.notify_all();
    if (generation->handle) {
        generation->handle->Interrupt();
    }
    if (generation->listener.joinable()) {
        generation->listener.join();
    }
    if (generation->manager.joinable()) {
        generation->manager.join();
    }
}

bool AcTransmitManage::IsListening() {
    std::lock_guard<std::mutex> lock(threads_lock_);
    return generation_ && generation_->listening;
}

bool AcTransmitManage::SendDiscover() {
    std::shared_ptr<CLinkProvider> link = GetLinkProvider();
    if (!link) {
        return false;
    }
    std::string device = GetAdapterDeviceName();
    LinkOpenError error = LinkOpenError::None;
    std::string error_text;
    std::unique_ptr<CLinkHandle> handle =
        link->Open(device, link_open_options{}, &error, &error_text);
    if (!handle) {
        return false;
    }
    transmit_frame_stu request = BuildDiscoverRequest(GetAdapterMac());
    return handle->Send(reinterpret_cast<const uint8_t*>(&request), kFrameSize);
}

void AcTransmitManage::ClearDevices() {
    std::lock_guard<std::mutex> lock(device_table_lock_);
    device_table_.clear();
    device_macs_.clear();
}

std::vector<ap_discover_stu> AcTransmitManage::GetDevices() {
    std::lock_guard<std::mutex> lock(device_table_lock_);
    return device_table_;
}

size_t AcTransmitManage::GetDeviceCount() {
    std::lock_guard<std::mutex> lock(device_table_lock_);
    return device_table_.size();
}

uint64_t AcTransmitManage::GetReportFrameCount() {
    return report_frames_.load();
}

void AcTransmitManage::RecvDiscoverProc(listener_generation* generation) {
    CLinkHandle* handle = generation->handle.get();
    uint8_t received[kMaxEthernetFrame];
    for (;;) {
        size_t length = 0;
        LinkReceive result = handle->Receive(received, sizeof(received), &length, kListenerWait);
        if (result == LinkReceive::Interrupted) {
            return;
        }
        if (result == LinkReceive::Error) {
            std::unique_lock<std::mutex> lock(generation->mutex);
            if (generation->manage_event.wait_for(lock, kListenerErrorBackoff,
                                                  [generation] { return generation->stop; })) {
                return;
            }
            continue;
        }
        if (result == LinkReceive::Timeout) {
            continue;
        }
        // Hostile input: at most 1286 bytes are looked at, shorter frames read as zero.
        transmit_frame_stu frame = ParseFrame(received, length);
        if (ReadU16(frame.ether_type) != kEtherType) {
            continue;
        }
        uint16_t type = ReadU16(frame.type);
        uint16_t code = ReadU16(frame.code);
        if (type == FRAME_TYPE_DISCOVER && code == CODE_ACK) {
            frame_bytes answer;
            std::memcpy(answer.data(), &frame, kFrameSize);
            {
                std::lock_guard<std::mutex> lock(generation->mutex);
                generation->answers.push_back(answer);
            }
            generation->manage_event.notify_one();
        } else {
            HandleReport(frame, FormatMacText(frame.source));
        }
    }
}

void AcTransmitManage::ManageDiscoverProc(listener_generation* generation) {
    for (;;) {
        std::deque<frame_bytes> pending;
        {
            std::unique_lock<std::mutex> lock(generation->mutex);
            generation->manage_event.wait(
                lock, [generation] { return generation->stop || !generation->answers.empty(); });
            if (generation->stop) {
                return;
            }
            // Take the whole queue at once: any number of answers queued since the
            // last wake-up are merged in one pass, in arrival order.
            pending.swap(generation->answers);
        }
        for (const frame_bytes& answer : pending) {
            AddDevice(answer);
        }
    }
}

void AcTransmitManage::AddDevice(const frame_bytes& answer) {
    transmit_frame_stu frame;
    std::memcpy(&frame, answer.data(), kFrameSize);
    std::string mac_text = FormatMacText(frame.source);
    std::string date = LocalTimeText();

    std::lock_guard<std::mutex> lock(device_table_lock_);
    if (!device_macs_.insert(mac_text).second) {
        // Seen in this scan already: the first answer's time and texts stay.
        return;
    }
    ap_discover_stu record;
    std::memset(&record, 0, sizeof(record));
    WriteFixedText(record.mac, mac_text);
    WriteFixedText(record.date, date);
    // The four texts are the answer's 200 bytes of device information, unchanged.
    std::memcpy(reinterpret_cast<char*>(&record) + offsetof(ap_discover_stu, ssid2),
                reinterpret_cast<const char*>(&frame) + offsetof(transmit_frame_stu, ssid2),
                kDeviceInfoSize);
    device_table_.push_back(record);
    if (store_ != nullptr) {
        store_->InsertDevice(record);
    }
}

}  // namespace plindar
