// libpcap link provider: non-blocking captures waited on with ppoll together
// with a per-handle eventfd, so receives are event driven and interruptible.
#include "protocol/pcap_link.h"

#include <errno.h>
#include <linux/if_packet.h>
#include <pcap/pcap.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>

#include "protocol/adapter_lister.h"

namespace plindar {

namespace {

using Clock = std::chrono::steady_clock;

// How long Send keeps retrying while the kernel has no room for another frame.
constexpr std::chrono::milliseconds kSendRetryBudget{200};
// Pause between retries when the kernel is out of buffers, which poll cannot
// announce.
constexpr std::chrono::milliseconds kSendRetryPause{1};
// ppoll is never asked to wait longer than this at once; the caller's deadline
// is re-checked after every wake anyway.
constexpr std::chrono::hours kLongestSingleWait{24};
// A capture socket that keeps signalling a fault while libpcap finds nothing to
// read is treated as failed rather than polled forever.
constexpr int kFaultWakesBeforeError = 2;
constexpr int kOptimiseFilter = 1;

void ReportOpenError(LinkOpenError* error_kind, std::string* error_text, LinkOpenError kind,
                     const std::string& text) {
    if (error_kind) {
        *error_kind = kind;
    }
    if (error_text) {
        *error_text = text;
    }
}

bool MentionsMissingPermission(const std::string& text) {
    return text.find("Operation not permitted") != std::string::npos ||
           text.find("Permission denied") != std::string::npos;
}

LinkOpenError ClassifyActivateFailure(int status, const std::string& text) {
    if (status == PCAP_ERROR_NO_SUCH_DEVICE) {
        return LinkOpenError::NoSuchDevice;
    }
    if (status == PCAP_ERROR_PERM_DENIED || MentionsMissingPermission(text)) {
        return LinkOpenError::PermissionDenied;
    }
    return LinkOpenError::Other;
}

// The deadline `timeout` from now, saturated so that a huge timeout means "never".
Clock::time_point DeadlineAfter(std::chrono::microseconds timeout) {
    const Clock::time_point now = Clock::now();
    if (timeout <= std::chrono::microseconds::zero()) {
        return now;
    }
    const auto room =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::time_point::max() - now);
    if (timeout >= room) {
        return Clock::time_point::max();
    }
    return now + std::chrono::duration_cast<Clock::duration>(timeout);
}

timespec WaitUntil(Clock::time_point deadline) {
    auto remaining = deadline - Clock::now();
    if (remaining < Clock::duration::zero()) {
        remaining = Clock::duration::zero();
    }
    remaining = std::min<Clock::duration>(remaining, kLongestSingleWait);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(remaining);
    const auto nanoseconds =
        std::chrono::duration_cast<std::chrono::nanoseconds>(remaining - seconds);
    timespec wait{};
    wait.tv_sec = static_cast<time_t>(seconds.count());
    wait.tv_nsec = static_cast<long>(nanoseconds.count());
    return wait;
}

std::string ErrnoText(const char* what, int error) {
    return std::string(what) + ": " + std::strerror(error);
}

}  // namespace

CPcapLinkHandle::CPcapLinkHandle(pcap_t* capture, int capture_fd, int wake_fd, std::string device)
    : capture_(capture), capture_fd_(capture_fd), wake_fd_(wake_fd), device_(std::move(device)) {}

CPcapLinkHandle::~CPcapLinkHandle() {
    pcap_close(capture_);
    close(wake_fd_);
}

std::unique_ptr<CPcapLinkHandle> CPcapLinkHandle::Open(const std::string& device,
                                                       const link_open_options& options,
                                                       LinkOpenError* error_kind,
                                                       std::string* error_text) {
    ReportOpenError(error_kind, error_text, LinkOpenError::None, std::string());
    char errbuf[PCAP_ERRBUF_SIZE] = {};
    pcap_t* capture = pcap_create(device.c_str(), errbuf);
    if (capture == nullptr) {
        ReportOpenError(error_kind, error_text, LinkOpenError::Other, errbuf);
        return nullptr;
    }
    auto fail = [&](LinkOpenError kind, const std::string& text) {
        ReportOpenError(error_kind, error_text, kind, device + ": " + text);
        pcap_close(capture);
        return nullptr;
    };

    // Immediate mode matters most: without it every frame waits in the kernel
    // until the buffer timeout, and acknowledgements arrive late.
    if (pcap_set_snaplen(capture, options.snapshot_length) != 0 ||
        pcap_set_promisc(capture, options.promiscuous ? 1 : 0) != 0 ||
        pcap_set_immediate_mode(capture, 1) != 0 ||
        (options.buffer_bytes > 0 && pcap_set_buffer_size(capture, options.buffer_bytes) != 0)) {
        return fail(LinkOpenError::Other, "could not configure the capture");
    }

    const int status = pcap_activate(capture);
    if (status < 0) {
        // PCAP_ERROR carries its detail in the handle; the specific codes may or
        // may not, so both are reported when there is something to add.
        std::string text = pcap_statustostr(status);
        const std::string detail = pcap_geterr(capture);
        if (status == PCAP_ERROR) {
            text = detail;
        } else if (!detail.empty() && detail != text) {
            text += " (" + detail + ")";
        }
        return fail(ClassifyActivateFailure(status, text), text);
    }
    // status > 0 is a warning (e.g. promiscuous mode not supported): usable.

    if (pcap_setnonblock(capture, 1, errbuf) != 0) {
        return fail(LinkOpenError::Other, errbuf);
    }
    if (options.inbound_only && pcap_setdirection(capture, PCAP_D_IN) != 0) {
        return fail(LinkOpenError::Other, pcap_geterr(capture));
    }
    const int capture_fd = pcap_get_selectable_fd(capture);
    if (capture_fd < 0) {
        return fail(LinkOpenError::Other, "the capture has no descriptor to wait on");
    }
    if (options.inbound_only) {
        // libpcap drops outgoing frames only after the kernel has copied them into
        // the socket; with one handle per device every frame any worker sends would
        // be offered to every other worker. Kernels that know this option skip them
        // at the source; older ones just refuse it, and the direction above still holds.
        int ignore = 1;
        setsockopt(capture_fd, SOL_PACKET, PACKET_IGNORE_OUTGOING, &ignore, sizeof(ignore));
    }
    const int wake_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_fd < 0) {
        return fail(LinkOpenError::Other, ErrnoText("eventfd", errno));
    }
    return std::unique_ptr<CPcapLinkHandle>(
        new CPcapLinkHandle(capture, capture_fd, wake_fd, device));
}

bool CPcapLinkHandle::SetFilter(const std::string& expression) {
    char errbuf[PCAP_ERRBUF_SIZE] = {};
    bpf_u_int32 network = 0;
    bpf_u_int32 netmask = 0;
    // Only IP broadcast tests need the netmask; an adapter without IPv4 has none.
    if (pcap_lookupnet(device_.c_str(), &network, &netmask, errbuf) != 0) {
        netmask = PCAP_NETMASK_UNKNOWN;
    }
    bpf_program program{};
    if (pcap_compile(capture_, &program, expression.c_str(), kOptimiseFilter, netmask) != 0) {
        last_error_ = "filter \"" + expression + "\": " + pcap_geterr(capture_);
        return false;
    }
    const int installed = pcap_setfilter(capture_, &program);
    pcap_freecode(&program);
    if (installed != 0) {
        last_error_ = "filter \"" + expression + "\": " + pcap_geterr(capture_);
        return false;
    }
    return true;
}

bool CPcapLinkHandle::Send(const uint8_t* frame, size_t length) {
    if (frame == nullptr || length == 0) {
        last_error_ = "send on " + device_ + ": empty frame";
        return false;
    }
    const Clock::time_point deadline = Clock::now() + kSendRetryBudget;
    for (;;) {
        errno = 0;
        const int sent = pcap_inject(capture_, frame, length);
        const int error = errno;
        if (sent >= 0 && static_cast<size_t>(sent) == length) {
            return true;
        }
        if (sent >= 0) {
            last_error_ = "send on " + device_ + ": only " + std::to_string(sent) + " of " +
                          std::to_string(length) + " bytes were taken";
            return false;
        }
        last_error_ = "send on " + device_ + ": " + pcap_geterr(capture_);
        // A burst can fill the socket's send buffer (EAGAIN, announced by poll)
        // or the device queue (ENOBUFS, not announced): both pass in moments.
        const bool queue_full = error == EAGAIN || error == EWOULDBLOCK;
        if (!queue_full && error != ENOBUFS) {
            return false;
        }
        if (Clock::now() >= deadline || !WaitToResend(queue_full, deadline)) {
            return false;
        }
    }
}

bool CPcapLinkHandle::WaitToResend(bool wait_for_room, Clock::time_point deadline) {
    const Clock::time_point pause_end = std::min(deadline, Clock::now() + kSendRetryPause);
    pollfd watched[2] = {};
    watched[0].fd = wake_fd_;
    watched[0].events = POLLIN;
    watched[1].fd = capture_fd_;
    watched[1].events = POLLOUT;
    const nfds_t count = wait_for_room ? 2 : 1;
    for (;;) {
        if (interrupted_.load(std::memory_order_acquire)) {
            return false;
        }
        const timespec wait = WaitUntil(wait_for_room ? deadline : pause_end);
        const int ready = ppoll(watched, count, &wait, nullptr);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return !interrupted_.load(std::memory_order_acquire);
    }
}

LinkReceive CPcapLinkHandle::Receive(uint8_t* buffer, size_t capacity, size_t* length,
                                     std::chrono::microseconds timeout) {
    if (length) {
        *length = 0;
    }
    const Clock::time_point deadline = DeadlineAfter(timeout);
    int fault_wakes = 0;
    for (;;) {
        if (interrupted_.load(std::memory_order_acquire)) {
            return LinkReceive::Interrupted;
        }
        pcap_pkthdr* header = nullptr;
        const u_char* data = nullptr;
        const int result = pcap_next_ex(capture_, &header, &data);
        if (result == 1) {
            const size_t copied = std::min<size_t>(header->caplen, capacity);
            if (copied > 0) {
                std::memcpy(buffer, data, copied);
            }
            if (length) {
                *length = copied;
            }
            return LinkReceive::Frame;
        }
        if (result < 0) {
            last_error_ = "receive on " + device_ + ": " + pcap_geterr(capture_);
            return LinkReceive::Error;
        }
        if (Clock::now() >= deadline) {
            return LinkReceive::Timeout;
        }
        bool capture_fault = false;
        if (!WaitReadable(deadline, &capture_fault)) {
            return LinkReceive::Error;
        }
        fault_wakes = capture_fault ? fault_wakes + 1 : 0;
        if (fault_wakes > kFaultWakesBeforeError) {
            last_error_ = "receive on " + device_ + ": the capture socket keeps reporting a fault";
            return LinkReceive::Error;
        }
    }
}

bool CPcapLinkHandle::WaitReadable(Clock::time_point deadline, bool* capture_fault) {
    pollfd watched[2] = {};
    watched[0].fd = capture_fd_;
    watched[0].events = POLLIN;
    watched[1].fd = wake_fd_;
    watched[1].events = POLLIN;
    for (;;) {
        const timespec wait = WaitUntil(deadline);
        const int ready = ppoll(watched, 2, &wait, nullptr);
        if (ready >= 0) {
            *capture_fault = (watched[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
            return true;
        }
        if (errno != EINTR) {
            last_error_ = "receive on " + device_ + ": " + ErrnoText("ppoll", errno);
            return false;
        }
        // A signal arrived: wait again for what is left of the timeout.
    }
}

void CPcapLinkHandle::Interrupt() {
    interrupted_.store(true, std::memory_order_release);
    // The counter is never read back, so the descriptor stays readable and every
    // later wait returns at once.
    const uint64_t one = 1;
    ssize_t written;
    do {
        written = write(wake_fd_, &one, sizeof(one));
    } while (written < 0 && errno == EINTR);
}

std::string CPcapLinkHandle::LastError() const {
    return last_error_;
}

std::unique_ptr<CLinkHandle> CPcapLinkProvider::Open(const std::string& device,
                                                     const link_open_options& options,
                                                     LinkOpenError* error_kind,
                                                     std::string* error_text) {
    return CPcapLinkHandle::Open(device, options, error_kind, error_text);
}

bool CPcapLinkProvider::ListCaptureDevices(std::vector<std::string>* names,
                                           std::string* error_text) {
    names->clear();
    char errbuf[PCAP_ERRBUF_SIZE] = {};
    pcap_if_t* devices = nullptr;
    if (pcap_findalldevs(&devices, errbuf) != 0) {
        if (error_text) {
            *error_text = errbuf;
        }
        return false;
    }
    for (const pcap_if_t* device = devices; device != nullptr; device = device->next) {
        if (device->name != nullptr) {
            names->emplace_back(device->name);
        }
    }
    pcap_freealldevs(devices);
    return true;
}

std::vector<local_adapter_node> CPcapLinkProvider::ListAdapters() {
    return ListLocalAdapters();
}

}  // namespace plindar
