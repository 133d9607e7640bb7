// In-process simulated segment and its endpoints.
#include "sim/sim_segment.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace plindar {

namespace {

// What one queued frame costs of an endpoint's buffer: a kernel ring slot holds a
// frame plus its header rounded up, about 2 KiB for frames of this protocol.
constexpr size_t kQueuedFrameCost = 2048;

void DrainWakeFd(int fd) {
    uint64_t value = 0;
    while (read(fd, &value, sizeof(value)) > 0) {
    }
}

}  // namespace

std::shared_ptr<CSimSegment> CSimSegment::Create() {
    return std::shared_ptr<CSimSegment>(new CSimSegment());
}

std::unique_ptr<CSimEndpoint> CSimSegment::OpenEndpoint(int station, size_t buffer_bytes) {
    auto endpoint = std::make_unique<CSimEndpoint>(shared_from_this(), station, buffer_bytes);
    Attach(endpoint.get());
    return endpoint;
}

void CSimSegment::Attach(CSimEndpoint* endpoint) {
    std::lock_guard<std::mutex> lock(endpoints_mutex_);
    endpoints_.push_back(endpoint);
}

size_t CSimSegment::EndpointCount() {
    std::lock_guard<std::mutex> lock(endpoints_mutex_);
    return endpoints_.size();
}

void CSimSegment::Detach(CSimEndpoint* endpoint) {
    std::lock_guard<std::mutex> lock(endpoints_mutex_);
    endpoints_.erase(std::remove(endpoints_.begin(), endpoints_.end(), endpoint), endpoints_.end());
}

void CSimSegment::Transmit(const CSimEndpoint* sender, const uint8_t* frame, size_t length) {
    transmitted_.fetch_add(1);
    // Delivery happens under the endpoints lock so that no endpoint can be
    // destroyed while a frame is being handed to it.
    std::lock_guard<std::mutex> lock(endpoints_mutex_);
    for (CSimEndpoint* endpoint : endpoints_) {
        if (endpoint != sender && endpoint->Station() != sender->Station()) {
            endpoint->Deliver(frame, length);
        }
    }
}

bool CSimSegment::CompileFilter(const std::string& expression, bpf_program* program,
                                std::string* error) {
    std::lock_guard<std::mutex> lock(compile_mutex_);
    pcap_t* dead = pcap_open_dead(DLT_EN10MB, kLinkSnapshotLength);
    if (dead == nullptr) {
        *error = "pcap_open_dead failed";
        return false;
    }
    bool ok = pcap_compile(dead, program, expression.c_str(), 1, PCAP_NETMASK_UNKNOWN) == 0;
    if (!ok) {
        *error = pcap_geterr(dead);
    }
    pcap_close(dead);
    return ok;
}

CSimEndpoint::CSimEndpoint(std::shared_ptr<CSimSegment> segment, int station, size_t buffer_bytes)
    : segment_(std::move(segment)),
      station_(station),
      buffer_bytes_(buffer_bytes),
      wake_fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CSimEndpoint::~CSimEndpoint() {
    segment_->Detach(this);
    std::lock_guard<std::mutex> lock(mutex_);
    if (has_filter_) {
        pcap_freecode(&filter_);
    }
    if (wake_fd_ >= 0) {
        close(wake_fd_);
    }
}

bool CSimEndpoint::SetFilter(const std::string& expression) {
    bpf_program program{};
    std::string error;
    if (!segment_->CompileFilter(expression, &program, &error)) {
        std::lock_guard<std::mutex> lock(mutex_);
        last_error_ = error;
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (has_filter_) {
        pcap_freecode(&filter_);
    }
    filter_ = program;
    has_filter_ = true;
    return true;
}

bool CSimEndpoint::Send(const uint8_t* frame, size_t length) {
    if (frame == nullptr || length == 0 || length > kMaxEthernetFrame) {
        std::lock_guard<std::mutex> lock(mutex_);
        last_error_ = "frame length out of range";
        return false;
    }
    segment_->Transmit(this, frame, length);
    return true;
}

void CSimEndpoint::Deliver(const uint8_t* frame, size_t length) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (has_filter_) {
            pcap_pkthdr header{};
            header.caplen = static_cast<bpf_u_int32>(length);
            header.len = static_cast<bpf_u_int32>(length);
            if (pcap_offline_filter(&filter_, &header, frame) == 0) {
                return;
            }
        }
        if (queued_bytes_ + kQueuedFrameCost > buffer_bytes_) {
            dropped_.fetch_add(1);
            return;
        }
        queue_.emplace_back(frame, frame + length);
        queued_bytes_ += kQueuedFrameCost;
    }
    uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(wake_fd_, &one, sizeof(one));
}

LinkReceive CSimEndpoint::Receive(uint8_t* buffer, size_t capacity, size_t* length,
                                  std::chrono::microseconds timeout) {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + timeout;
    for (;;) {
        if (interrupted_.load()) {
            return LinkReceive::Interrupted;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!queue_.empty()) {
                const std::vector<uint8_t>& frame = queue_.front();
                size_t copied = std::min(frame.size(), capacity);
                std::copy_n(frame.begin(), copied, buffer);
                *length = copied;
                queue_.pop_front();
                queued_bytes_ -= kQueuedFrameCost;
                return LinkReceive::Frame;
            }
        }
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - clock::now());
        if (left.count() <= 0) {
            return LinkReceive::Timeout;
        }
        pollfd wait{wake_fd_, POLLIN, 0};
        timespec span{static_cast<time_t>(left.count() / 1000000),
                      static_cast<long>((left.count() % 1000000) * 1000)};
        int ready = ppoll(&wait, 1, &span, nullptr);
        if (ready < 0 && errno != EINTR) {
            std::lock_guard<std::mutex> lock(mutex_);
            last_error_ = "ppoll failed";
            return LinkReceive::Error;
        }
        if (ready > 0) {
            DrainWakeFd(wake_fd_);
        }
    }
}

void CSimEndpoint::Interrupt() {
    interrupted_.store(true);
    uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(wake_fd_, &one, sizeof(one));
}

std::string CSimEndpoint::LastError() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_error_;
}

}  // namespace plindar
