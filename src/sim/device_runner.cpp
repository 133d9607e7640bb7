// Device model runner.
#include "sim/device_runner.h"

#include <algorithm>

namespace plindar {

namespace {

// Longest sleep when nothing is due; Interrupt() wakes the thread sooner.
constexpr std::chrono::milliseconds kIdleWait{500};
// Pause after a failed receive, so a broken link cannot make the thread spin.
constexpr std::chrono::milliseconds kErrorBackoff{100};

}  // namespace

CDeviceRunner::CDeviceRunner(std::unique_ptr<CLinkHandle> link, const sim_device_options& options)
    : link_(std::move(link)), devices_(CDeviceModel(options).Devices()), model_(options) {}

CDeviceRunner::~CDeviceRunner() {
    Stop();
}

bool CDeviceRunner::Start(std::string* error) {
    if (!link_->SetFilter(CDeviceModel::CaptureFilter())) {
        *error = "cannot install the capture filter: " + link_->LastError();
        return false;
    }
    thread_ = std::thread(&CDeviceRunner::Run, this);
    return true;
}

void CDeviceRunner::Stop() {
    {
        std::lock_guard<std::mutex> lock(stop_mutex_);
        stop_ = true;
    }
    stop_signal_.notify_all();
    link_->Interrupt();
    if (thread_.joinable()) {
        thread_.join();
    }
}

sim_runner_stats CDeviceRunner::Stats() {
    std::lock_guard<std::mutex> lock(model_mutex_);
    return sim_runner_stats{model_.Stats(), frames_sent_, send_failures_, receive_errors_};
}

void CDeviceRunner::WithModel(const std::function<void(const CDeviceModel&)>& inspect) {
    std::lock_guard<std::mutex> lock(model_mutex_);
    inspect(model_);
}

void CDeviceRunner::Run() {
    using clock = CDeviceModel::clock;
    std::vector<uint8_t> outgoing;
    uint8_t incoming[kMaxEthernetFrame];
    for (;;) {
        std::chrono::microseconds wait = kIdleWait;
        {
            std::lock_guard<std::mutex> lock(model_mutex_);
            auto now = clock::now();
            while (model_.PopDue(now, &outgoing)) {
                if (link_->Send(outgoing.data(), outgoing.size())) {
                    ++frames_sent_;
                } else {
                    ++send_failures_;
                }
            }
            if (auto due = model_.NextDue()) {
                wait = std::max(std::chrono::microseconds(0),
                                std::chrono::duration_cast<std::chrono::microseconds>(*due - now));
                wait = std::min<std::chrono::microseconds>(wait, kIdleWait);
            }
        }
        size_t length = 0;
        LinkReceive result = link_->Receive(incoming, sizeof(incoming), &length, wait);
        if (result == LinkReceive::Interrupted) {
            return;
        }
        if (result == LinkReceive::Frame) {
            std::lock_guard<std::mutex> lock(model_mutex_);
            model_.OnFrame(incoming, length, clock::now());
        } else if (result == LinkReceive::Error) {
            {
                std::lock_guard<std::mutex> lock(model_mutex_);
                ++receive_errors_;
            }
            std::unique_lock<std::mutex> lock(stop_mutex_);
            if (stop_signal_.wait_for(lock, kErrorBackoff, [this] { return stop_; })) {
                return;
            }
        }
    }
}

}  // namespace plindar
