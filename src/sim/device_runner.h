// Runs the device model on one link handle: a thread that sleeps until a frame
// arrives or the next answer is due.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "protocol/link.h"
#include "sim/device_model.h"

namespace plindar {

struct sim_runner_stats {
    sim_model_stats model;
    uint64_t frames_sent = 0;
    uint64_t send_failures = 0;
    uint64_t receive_errors = 0;
};

class CDeviceRunner {
public:
    CDeviceRunner(std::unique_ptr<CLinkHandle> link, const sim_device_options& options);
    ~CDeviceRunner();
    CDeviceRunner(const CDeviceRunner&) = delete;
    CDeviceRunner& operator=(const CDeviceRunner&) = delete;

    // Installs the capture filter and starts the thread.
    bool Start(std::string* error);
    // Tells the thread to stop, wakes it and joins it. Safe to call twice.
    void Stop();

    // The devices are fixed at construction, so this needs no lock.
    const std::vector<sim_device>& Devices() const { return devices_; }
    sim_runner_stats Stats();
    // Runs `inspect` on the model while the runner cannot change it.
    void WithModel(const std::function<void(const CDeviceModel&)>& inspect);

private:
    void Run();

    std::unique_ptr<CLinkHandle> link_;
    const std::vector<sim_device> devices_;
    std::mutex model_mutex_;  // the model is used by the thread and read by Stats
    CDeviceModel model_;
    uint64_t frames_sent_ = 0;
    uint64_t send_failures_ = 0;
    uint64_t receive_errors_ = 0;

    std::thread thread_;
    std::mutex stop_mutex_;
    std::condition_variable stop_signal_;
    bool stop_ = false;
};

}  // namespace plindar
