// In-process simulated Ethernet segment: every frame sent by one station reaches
// the endpoints of every other station whose capture filter admits it.
#pragma once

#include <pcap/pcap.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "protocol/frame_format.h"
#include "protocol/link.h"

namespace plindar {

// Stations stand for hosts on the segment. Endpoints of one station never see one
// another's frames, the way an inbound-only capture handle never sees frames its
// own host sent.
enum SimStation {
    SIM_STATION_HOST = 0,     // the operator's computer
    SIM_STATION_DEVICES = 1,  // all virtual devices
};

class CSimSegment;

class CSimEndpoint : public CLinkHandle {
public:
    CSimEndpoint(std::shared_ptr<CSimSegment> segment, int station, size_t buffer_bytes);
    ~CSimEndpoint() override;

    bool SetFilter(const std::string& expression) override;
    bool Send(const uint8_t* frame, size_t length) override;
    LinkReceive Receive(uint8_t* buffer, size_t capacity, size_t* length,
                        std::chrono::microseconds timeout) override;
    void Interrupt() override;
    std::string LastError() const override;

    // Called by the segment on the sender's thread.
    void Deliver(const uint8_t* frame, size_t length);
    int Station() const { return station_; }
    // Frames dropped because this endpoint's buffer was full (like a kernel drop).
    uint64_t Dropped() const { return dropped_.load(); }

private:
    std::shared_ptr<CSimSegment> segment_;
    const int station_;
    const size_t buffer_bytes_;
    int wake_fd_ = -1;
    std::atomic<bool> interrupted_{false};
    std::atomic<uint64_t> dropped_{0};

    mutable std::mutex mutex_;  // guards everything below
    bpf_program filter_{};
    bool has_filter_ = false;
    std::deque<std::vector<uint8_t>> queue_;
    size_t queued_bytes_ = 0;
    std::string last_error_;
};

class CSimSegment : public std::enable_shared_from_this<CSimSegment> {
public:
    static std::shared_ptr<CSimSegment> Create();

    std::unique_ptr<CSimEndpoint> OpenEndpoint(int station, size_t buffer_bytes);
    void Transmit(const CSimEndpoint* sender, const uint8_t* frame, size_t length);
    uint64_t FramesTransmitted() const { return transmitted_.load(); }
    // Open endpoints, so tests can prove that handles are closed again.
    size_t EndpointCount();

    // Endpoints register and unregister themselves.
    void Attach(CSimEndpoint* endpoint);
    void Detach(CSimEndpoint* endpoint);

    // Filters are compiled for Ethernet by libpcap itself, so simulated and real
    // links accept exactly the same expressions.
    bool CompileFilter(const std::string& expression, bpf_program* program, std::string* error);

private:
    CSimSegment() = default;

    std::mutex endpoints_mutex_;
    std::vector<CSimEndpoint*> endpoints_;
    std::mutex compile_mutex_;  // pcap_compile is not reentrant
    std::atomic<uint64_t> transmitted_{0};
};

}  // namespace plindar
