// The one interface through which the engine reaches the wire. Two providers
// implement it: libpcap on a real adapter and the in-process simulated segment.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "protocol/adapter_info.h"

namespace plindar {

// A little more than one whole frame, so nothing the protocol reads is cut off.
constexpr int kLinkSnapshotLength = 1600;
// Kernel buffer of a handle that waits for one device's acknowledgements: small,
// so that hundreds of handles fit in memory.
constexpr int kWorkerBufferBytes = 64 * 1024;
// Kernel buffer of the listener, which must absorb a burst of discovery answers
// from every device of the segment at once.
constexpr int kListenerBufferBytes = 8 * 1024 * 1024;

struct link_open_options {
    int snapshot_length = kLinkSnapshotLength;
    bool promiscuous = true;
    int buffer_bytes = kWorkerBufferBytes;
    // Receive only frames that arrive from the wire, never the ones this host sends
    // (the listener must not see its own broadcasts; a simulator not its answers).
    bool inbound_only = true;
};

enum class LinkOpenError {
    None,
    NoSuchDevice,
    PermissionDenied,
    Other,
};

enum class LinkReceive {
    Frame,        // a frame was copied out
    Timeout,      // nothing arrived before the timeout
    Interrupted,  // Interrupt() was called; every later call returns this too
    Error,        // the handle failed (interface gone, socket error)
};

class CLinkHandle {
public:
    virtual ~CLinkHandle() = default;

    // Installs a capture filter (libpcap expression syntax). Until a filter is set
    // the handle receives every frame.
    virtual bool SetFilter(const std::string& expression) = 0;

    // Hands one frame to the wire; false when it could not be sent.
    virtual bool Send(const uint8_t* frame, size_t length) = 0;

    // Waits until a frame is available or the timeout passes, whichever is first.
    // Copies at most `capacity` bytes into `buffer` and reports how many were
    // copied in `length`. A zero timeout only looks.
    virtual LinkReceive Receive(uint8_t* buffer, size_t capacity, size_t* length,
                                std::chrono::microseconds timeout) = 0;

    // Wakes a Receive blocked on another thread and makes the handle return
    // Interrupted from then on: this is how a thread is told to stop promptly.
    virtual void Interrupt() = 0;

    virtual std::string LastError() const = 0;
};

class CLinkProvider {
public:
    virtual ~CLinkProvider() = default;

    virtual std::unique_ptr<CLinkHandle> Open(const std::string& device,
                                              const link_open_options& options,
                                              LinkOpenError* error_kind,
                                              std::string* error_text) = 0;

    // The capture devices under the names Open accepts, in the provider's order.
    virtual bool ListCaptureDevices(std::vector<std::string>* names, std::string* error_text) = 0;

    // The computer's network adapters with their state (1 = up and usable).
    virtual std::vector<local_adapter_node> ListAdapters() = 0;
};

}  // namespace plindar
