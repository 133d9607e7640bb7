// The link provider on a real adapter: libpcap for capture and injection, with
// an eventfd beside each capture so that a blocked receive can be woken.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "protocol/link.h"

struct pcap;  // libpcap's pcap_t, kept out of this header

namespace plindar {

class CPcapLinkHandle final : public CLinkHandle {
public:
    // Creates, configures and activates a capture on `device`; nullptr on failure
    // with the reason in error_kind and error_text (either may be null).
    static std::unique_ptr<CPcapLinkHandle> Open(const std::string& device,
                                                 const link_open_options& options,
                                                 LinkOpenError* error_kind,
                                                 std::string* error_text);

    ~CPcapLinkHandle() override;
    CPcapLinkHandle(const CPcapLinkHandle&) = delete;
    CPcapLinkHandle& operator=(const CPcapLinkHandle&) = delete;

    bool SetFilter(const std::string& expression) override;
    // Returns true only when the whole frame was handed to the kernel. A full send
    // queue is waited out for a short while; an interrupted handle stops waiting.
    bool Send(const uint8_t* frame, size_t length) override;
    LinkReceive Receive(uint8_t* buffer, size_t capacity, size_t* length,
                        std::chrono::microseconds timeout) override;
    // Safe from any thread while another thread uses the handle.
    void Interrupt() override;
    std::string LastError() const override;

private:
    CPcapLinkHandle(struct pcap* capture, int capture_fd, int wake_fd, std::string device);

    // Blocks until the capture may have a frame, the handle is interrupted or the
    // deadline passes; *capture_fault tells whether the socket signalled an error
    // condition. False when polling itself failed (LastError is set).
    bool WaitReadable(std::chrono::steady_clock::time_point deadline, bool* capture_fault);
    // With `wait_for_room` blocks until the socket can take another frame (or the
    // deadline), otherwise pauses briefly; false when the handle was interrupted.
    bool WaitToResend(bool wait_for_room, std::chrono::steady_clock::time_point deadline);

    struct pcap* capture_;
    int capture_fd_;
    int wake_fd_;
    std::string device_;
    std::atomic<bool> interrupted_{false};
    std::string last_error_;
};

class CPcapLinkProvider final : public CLinkProvider {
public:
    std::unique_ptr<CLinkHandle> Open(const std::string& device, const link_open_options& options,
                                      LinkOpenError* error_kind, std::string* error_text) override;
    bool ListCaptureDevices(std::vector<std::string>* names, std::string* error_text) override;
    std::vector<local_adapter_node> ListAdapters() override;
};

}  // namespace plindar
