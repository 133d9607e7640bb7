// The transmit engine: delivers one device's job chunk by chunk, each chunk sent
// and resent until the device acknowledges it or its budget is spent.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "protocol/frame_format.h"
#include "protocol/link.h"
#include "protocol/transmit_job.h"

namespace plindar {

class AcTransmitManage;
class CSqlManagement;

// The retransmission budget is counted in polls of 50 microseconds, as the
// devices' firmware timing expects: a silent device gets a chunk again after
// 20000, 40000, 60000 and 80000 empty polls (about 1, 2, 3 and 4 s) and the
// transfer fails at 100000. Frames that are not the awaited acknowledgement are
// counted apart with the same limits. A worker does not really poll: it sleeps on
// its capture handle until a frame or the next retransmission is due, and the
// time it slept stands for the empty polls it would have made.
struct retransmit_budget {
    static constexpr std::chrono::microseconds kPollInterval{50};
    static constexpr uint64_t kPollsPerRetransmission = 20000;
    static constexpr uint64_t kPollsBeforeFailure = 5 * kPollsPerRetransmission;
    static constexpr int kOpenAttempts = 10;
    static constexpr std::chrono::milliseconds kOpenRetryDelay{100};
    // A handle that keeps failing is asked again after this pause, not at once.
    static constexpr std::chrono::milliseconds kErrorPause{10};
};

// Figures for progress displays and benchmarks; shared by all workers of a run.
struct transmit_counters {
    std::atomic<uint64_t> frames_sent{0};
    std::atomic<uint64_t> retransmissions{0};
    std::atomic<uint64_t> chunks_acknowledged{0};
    std::atomic<uint64_t> foreign_frames{0};
    std::atomic<uint64_t> transfers_succeeded{0};
    std::atomic<uint64_t> transfers_failed{0};
    std::atomic<uint64_t> send_errors{0};
};

// How a running worker is told to stop: a flag, and the handle it may be asleep on.
class CTransmitControl {
public:
    void Stop();
    bool StopRequested();
    // Makes `handle` the one Stop() interrupts; false when a stop came first.
    bool Attach(CLinkHandle* handle);
    void Detach();
    // Sleeps unless told to stop; false when stopped.
    bool SleepFor(std::chrono::milliseconds span);

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    CLinkHandle* handle_ = nullptr;
};

enum class TransferResult {
    Success,  // every chunk acknowledged
    Failure,  // adapter, file or budget failure
    Stopped,  // the worker was told to stop
};

struct transmit_context {
    AcTransmitManage* manager = nullptr;  // link, adapter device name
    CSqlManagement* store = nullptr;      // statuses; may be null in tests
    CTransmitControl* control = nullptr;
    transmit_counters* counters = nullptr;
};

// Sends a file as the transfer that `frame` announces (type, code and transfer
// count already set); `expected_type` is the type of its acknowledgements.
TransferResult SendFile(const transmit_context& context, transmit_frame_stu* frame,
                        uint16_t expected_type, const std::string& path);

// Sends a command text in one frame; only a type 3, code 4, sequence 1 frame
// acknowledges it.
TransferResult SendText(const transmit_context& context, transmit_frame_stu* frame,
                        const std::string& text);

// Runs every transfer of a job in order and writes the status after each one:
// 4 "Transmit finish" or 5 "Transmit fail" (none when stopped).
void RunJob(const transmit_job_stu& job, const transmit_context& context);

// Whether a received frame acknowledges the chunk in flight.
bool IsFileAck(const transmit_frame_stu& frame, uint16_t expected_type, uint16_t sequence);
bool IsTextAck(const transmit_frame_stu& frame);

}  // namespace plindar
