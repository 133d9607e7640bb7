// The running transmit workers: one thread per device job, each told to stop and
// joined at shutdown rather than abandoned.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "protocol/transmit_engine.h"
#include "protocol/transmit_job.h"

namespace plindar {

class CTransmitWorkers {
public:
    CTransmitWorkers(AcTransmitManage* manager, CSqlManagement* store);
    ~CTransmitWorkers();
    CTransmitWorkers(const CTransmitWorkers&) = delete;
    CTransmitWorkers& operator=(const CTransmitWorkers&) = delete;

    // Starts a worker on its own copy of the job; a failed thread creation is tried
    // again, 5 attempts in all. False when no thread could be made (the device's
    // status then stays "Operating").
    bool Start(const transmit_job_stu& job);

    // Workers that have not finished yet.
    size_t Running();
    // Waits until every worker has finished or the limit passes; true when all did.
    bool WaitAll(std::chrono::milliseconds limit);
    // Tells every worker to stop, wakes it and joins it.
    void StopAll();

    transmit_counters& Counters() { return counters_; }

private:
    struct worker {
        std::thread thread;
        CTransmitControl control;
        bool done = false;  // guarded by the registry's mutex
    };

    void TransmitThreadProc(worker* self, transmit_job_stu job);
    // Joins the threads of finished workers; called with the mutex held.
    void ReapFinished();

    static constexpr int kThreadAttempts = 5;

    AcTransmitManage* manager_;
    CSqlManagement* store_;
    transmit_counters counters_;
    std::mutex mutex_;
    std::condition_variable finished_;
    std::list<std::unique_ptr<worker>> workers_;
    size_t running_ = 0;
};

}  // namespace plindar
