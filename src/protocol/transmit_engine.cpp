// Transmit engine: chunking, acknowledgements, retransmission and statuses.
#include "protocol/transmit_engine.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>

#include "protocol/ac_transmit_manage.h"
#include "records/device_result.h"
#include "records/diagnostic_log.h"
#include "records/sql_management.h"

namespace plindar {

namespace {

using steady = std::chrono::steady_clock;

constexpr uint16_t kTextSequence = 1;

// One transfer of a job: what its frames say and which status it writes.
struct transfer_plan {
    uint16_t type;
    uint16_t code;
    bool is_logo;  // else the configuration file
};

constexpr transfer_plan kLogoTransfer = {FRAME_TYPE_LOGO, CODE_LOGO_FILE, true};
constexpr transfer_plan kParaTransfer = {FRAME_TYPE_PARA, CODE_PARA_FILE, false};

// The capture handle of one transfer, registered with the worker's control so a
// stop request can wake it, and released on every path out.
class CTransferHandle {
public:
    CTransferHandle(const transmit_context& context, const std::string& mac_text)
        : context_(context) {
        // Workers read the adapter each time they open it: a change of adapter
        // affects only transfers opened afterwards.
        std::shared_ptr<CLinkProvider> link = context.manager->GetLinkProvider();
        std::string device = context.manager->GetAdapterDeviceName();
        for (int attempt = 0; attempt < retransmit_budget::kOpenAttempts && link; ++attempt) {
            if (attempt > 0 && !context.control->SleepFor(retransmit_budget::kOpenRetryDelay)) {
                stopped_ = true;
                return;
            }
            LinkOpenError error = LinkOpenError::None;
            std::string error_text;
            handle_ = link->Open(device, link_open_options{}, &error, &error_text);
            if (handle_) {
                break;
            }
            last_error_ = error_text;
        }
        if (!handle_) {
            WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "open adapter '%s' for %s fail: %s", device.c_str(),
                             mac_text.c_str(), last_error_.c_str());
            return;
        }
        // Only protocol frames from this one device; no blank before "and".
        std::string filter = "ether src " + mac_text + "and ether proto " + "0x6262";
        if (!handle_->SetFilter(filter)) {
            WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "set filter '%s' fail: %s", filter.c_str(),
                             handle_->LastError().c_str());
        }
        if (!context.control->Attach(handle_.get())) {
            stopped_ = true;
            handle_.reset();
        }
    }

    ~CTransferHandle() {
        if (handle_) {
            context_.control->Detach();
        }
    }

    CLinkHandle* Get() const { return handle_.get(); }
    bool Stopped() const { return stopped_; }

private:
    const transmit_context& context_;
    std::unique_ptr<CLinkHandle> handle_;
    bool stopped_ = false;
    std::string last_error_;
};

// Sends the chunk in `frame` and waits until `is_ack` accepts a frame, counting
// empty polls by the time slept and foreign frames one by one.
TransferResult DeliverChunk(const transmit_context& context, CLinkHandle* handle,
                            const transmit_frame_stu& frame,
                            const std::function<bool(const transmit_frame_stu&)>& is_ack) {
    using budget = retransmit_budget;
    uint64_t empty_polls = 0;
    std::chrono::microseconds empty_time{0};
    uint64_t foreign_frames = 0;
    // What happened to this chunk, told to the diagnostic log if it fails.
    unsigned copies_sent = 0, send_failures = 0, receive_errors = 0;
    bool send = true;
    bool first_send = true;
    uint8_t received[kMaxEthernetFrame];
    const mac_address device = FrameDestination(frame);

    for (;;) {
        if (send) {
            if (handle->Send(reinterpret_cast<const uint8_t*>(&frame), kFrameSize)) {
                context.counters->frames_sent.fetch_add(1, std::memory_order_relaxed);
                ++copies_sent;
            } else {
                context.counters->send_errors.fetch_add(1, std::memory_order_relaxed);
                ++send_failures;
            }
            if (!first_send) {
                context.counters->retransmissions.fetch_add(1, std::memory_order_relaxed);
            }
            first_send = false;
            send = false;
        }

        // Sleep at most until the empty-poll counter reaches its next multiple of
        // 20000, where a retransmission (or the failure) is due.
        uint64_t next_mark =
            (empty_polls / budget::kPollsPerRetransmission + 1) * budget::kPollsPerRetransmission;
        auto until_mark = budget::kPollInterval * static_cast<int64_t>(next_mark) - empty_time;
        size_t length = 0;
        auto started = steady::now();
        LinkReceive result = handle->Receive(received, sizeof(received), &length, until_mark);
        if (result == LinkReceive::Interrupted) {
            return TransferResult::Stopped;
        }
        if (result == LinkReceive::Error) {
            ++receive_errors;
            if (!context.control->SleepFor(budget::kErrorPause)) {
                return TransferResult::Stopped;
            }
        }
        empty_time +=
            std::chrono::duration_cast<std::chrono::microseconds>(steady::now() - started);
        uint64_t polls_now = static_cast<uint64_t>(empty_time / budget::kPollInterval);
        if (polls_now >= budget::kPollsBeforeFailure) {
            break;
        }
        if (polls_now / budget::kPollsPerRetransmission !=
            empty_polls / budget::kPollsPerRetransmission) {
            send = true;
        }
        empty_polls = polls_now;

        if (result != LinkReceive::Frame) {
            continue;
        }
        transmit_frame_stu answer = ParseFrame(received, length);
        // Only the addressed device can acknowledge. The handle's filter is not
        // trusted alone: a link may hand over frames queued before it was set, and
        // another device's acknowledgement of the same chunk number must not count.
        if (FrameSource(answer) == device && is_ack(answer)) {
            context.counters->chunks_acknowledged.fetch_add(1, std::memory_order_relaxed);
            return TransferResult::Success;
        }
        context.counters->foreign_frames.fetch_add(1, std::memory_order_relaxed);
        ++foreign_frames;
        if (foreign_frames >= budget::kPollsBeforeFailure) {
            break;
        }
        if (foreign_frames % budget::kPollsPerRetransmission == 0) {
            send = true;
        }
    }
    WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR,
                     "no acknowledgement from %s for sequence %u: %u copies sent, %u send "
                     "failures, %u receive errors, %llu other frames",
                     FormatMacText(device).c_str(), static_cast<unsigned>(ReadU16(frame.sequence)),
                     copies_sent, send_failures, receive_errors,
                     static_cast<unsigned long long>(foreign_frames));
    return TransferResult::Failure;
}

void WriteStatus(const transmit_context& context, const transfer_plan* plan,
                 const std::string& mac_text, int status) {
    if (context.store == nullptr) {
        return;
    }
    DeviceOperation operation = plan == nullptr ? OPERATION_ANTITHEFT
                                : plan->is_logo ? OPERATION_LOGO
                                                : OPERATION_PARA;
    context.store->SetTransmitStatus(operation, mac_text, status);
}

// Runs one transfer and records its outcome; false when the worker must stop.
bool RunTransfer(const transmit_context& context, transmit_frame_stu* frame,
                 const transfer_plan* plan, uint16_t transfer_count, const std::string& payload,
                 const std::string& mac_text) {
    WriteU16(frame->type, plan ? plan->type : static_cast<uint16_t>(FRAME_TYPE_ANTITHEFT));
    WriteU16(frame->code, plan ? plan->code : static_cast<uint16_t>(CODE_ANTITHEFT_CMD));
    WriteU16(frame->transfer_count, transfer_count);
    TransferResult result =
        plan ? SendFile(context, frame, plan->type, payload) : SendText(context, frame, payload);
    if (result == TransferResult::Stopped) {
        return false;
    }
    bool ok = result == TransferResult::Success;
    (ok ? context.counters->transfers_succeeded : context.counters->transfers_failed)
        .fetch_add(1, std::memory_order_relaxed);
    WriteStatus(context, plan, mac_text, ok ? STATUS_TRANSMIT_FINISH : STATUS_TRANSMIT_FAIL);
    return true;
}

}  // namespace

void CTransmitControl::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    if (handle_ != nullptr) {
        handle_->Interrupt();
    }
    wake_.notify_all();
}

bool CTransmitControl::StopRequested() {
    std::lock_guard<std::mutex> lock(mutex_);
    return stop_;
}

bool CTransmitControl::Attach(CLinkHandle* handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stop_) {
        return false;
    }
    handle_ = handle;
    return true;
}

void CTransmitControl::Detach() {
    std::lock_guard<std::mutex> lock(mutex_);
    handle_ = nullptr;
}

bool CTransmitControl::SleepFor(std::chrono::milliseconds span) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !wake_.wait_for(lock, span, [this] { return stop_; });
}

bool IsFileAck(const transmit_frame_stu& frame, uint16_t expected_type, uint16_t sequence) {
    uint16_t received = ReadU16(frame.sequence);
    if (received == kSequenceWildcard) {
        return true;
    }
    return ReadU16(frame.type) == expected_type && ReadU16(frame.code) == CODE_ACK &&
           received == sequence;
}

bool IsTextAck(const transmit_frame_stu& frame) {
    return ReadU16(frame.type) == FRAME_TYPE_ANTITHEFT && ReadU16(frame.code) == CODE_ACK &&
           ReadU16(frame.sequence) == kTextSequence;
}

TransferResult SendFile(const transmit_context& context, transmit_frame_stu* frame,
                        uint16_t expected_type, const std::string& path) {
    std::string mac_text = FormatMacText(frame->destination);
    CTransferHandle handle(context, mac_text);
    if (handle.Stopped()) {
        return TransferResult::Stopped;
    }
    if (handle.Get() == nullptr) {
        return TransferResult::Failure;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "open file '%s' for %s fail: %s", path.c_str(),
                         mac_text.c_str(), std::strerror(errno));
        return TransferResult::Failure;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> closer(file, std::fclose);
    // The length is measured once: a file that grows is sent up to this length, one
    // that shrinks fails instead of sending empty chunks for ever.
    if (std::fseek(file, 0, SEEK_END) != 0) {
        return TransferResult::Failure;
    }
    long measured = std::ftell(file);
    if (measured < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        return TransferResult::Failure;
    }
    const uint64_t length = static_cast<uint64_t>(measured);

    uint64_t position = 0;
    uint32_t chunk_count = 0;
    do {
        size_t piece = static_cast<size_t>(std::min<uint64_t>(kChunkDataSize, length - position));
        if (std::fread(frame->data, 1, piece, file) != piece) {
            WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "file '%s' shrank while it was sent to %s",
                             path.c_str(), mac_text.c_str());
            return TransferResult::Failure;
        }
        WriteU16(frame->position, PositionForChunk(position, position + piece, length));
        WriteU16(frame->data_length, static_cast<uint16_t>(piece));
        position += piece;
        uint16_t sequence = SequenceForChunk(++chunk_count);
        WriteU16(frame->sequence, sequence);
        TransferResult result =
            DeliverChunk(context, handle.Get(), *frame, [&](const transmit_frame_stu& answer) {
                return IsFileAck(answer, expected_type, sequence);
            });
        if (result != TransferResult::Success) {
            return result;
        }
        WriteU16(frame->position, POSITION_MIDDLE);
    } while (position < length);
    return TransferResult::Success;
}

TransferResult SendText(const transmit_context& context, transmit_frame_stu* frame,
                        const std::string& text) {
    std::string mac_text = FormatMacText(frame->destination);
    if (text.size() >= kChunkDataSize) {
        return TransferResult::Failure;  // jobs cannot carry such a text; never cut it
    }
    CTransferHandle handle(context, mac_text);
    if (handle.Stopped()) {
        return TransferResult::Stopped;
    }
    if (handle.Get() == nullptr) {
        return TransferResult::Failure;
    }
    std::memcpy(frame->data, text.c_str(), text.size() + 1);
    WriteU16(frame->position, POSITION_LAST);
    WriteU16(frame->data_length, static_cast<uint16_t>(text.size()));
    WriteU16(frame->sequence, kTextSequence);
    return DeliverChunk(context, handle.Get(), *frame, IsTextAck);
}

void RunJob(const transmit_job_stu& job, const transmit_context& context) {
    transmit_frame_stu frame;
    std::memset(&frame, 0, sizeof(frame));
    std::memcpy(&frame, &job, 14);  // destination, source, EtherType
    std::string mac_text = FormatMacText(job.destination);
    auto text_of = [](const char* field, size_t width) {
        return std::string(field, strnlen(field, width));
    };
    std::string para_path = text_of(job.para_path, sizeof(job.para_path));
    std::string logo_path = text_of(job.logo_path, sizeof(job.logo_path));

    switch (job.kind) {
        case JOB_LOGO:
            RunTransfer(context, &frame, &kLogoTransfer, 1, logo_path, mac_text);
            break;
        case JOB_PARA:
            RunTransfer(context, &frame, &kParaTransfer, 1, para_path, mac_text);
            break;
        case JOB_ANTITHEFT:
            RunTransfer(context, &frame, nullptr, 1, text_of(job.command, sizeof(job.command)),
                        mac_text);
            break;
        default:
            // The configuration file goes whatever became of the logo.
            if (RunTransfer(context, &frame, &kLogoTransfer, 2, logo_path, mac_text)) {
                RunTransfer(context, &frame, &kParaTransfer, 2, para_path, mac_text);
            }
            break;
    }
}

}  // namespace plindar
