// Transmit worker threads.
#include "protocol/transmit_workers.h"

#include <system_error>

#include "records/diagnostic_log.h"

namespace plindar {

CTransmitWorkers::CTransmitWorkers(AcTransmitManage* manager, CSqlManagement* store)
    : manager_(manager), store_(store) {}

CTransmitWorkers::~CTransmitWorkers() {
    StopAll();
}

bool CTransmitWorkers::Start(const transmit_job_stu& job) {
    std::lock_guard<std::mutex> lock(mutex_);
    ReapFinished();
    auto slot = std::make_unique<worker>();
    worker* self = slot.get();
    for (int attempt = 0; attempt < kThreadAttempts; ++attempt) {
        try {
            self->thread = std::thread(&CTransmitWorkers::TransmitThreadProc, this, self, job);
            workers_.push_back(std::move(slot));
            ++running_;
            return true;
        } catch (const std::system_error& error) {
            WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "create transmit thread fail (attempt %d): %s",
                             attempt + 1, error.what());
        }
    }
    return false;
}

void CTransmitWorkers::TransmitThreadProc(worker* self, transmit_job_stu job) {
    transmit_context context;
    context.manager = manager_;
    context.store = store_;
    context.control = &self->control;
    context.counters = &counters_;
    RunJob(job, context);
    std::lock_guard<std::mutex> lock(mutex_);
    self->done = true;
    --running_;
    finished_.notify_all();
}

void CTransmitWorkers::ReapFinished() {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if ((*it)->done) {
            (*it)->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

size_t CTransmitWorkers::Running() {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_;
}

bool CTransmitWorkers::WaitAll(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    return finished_.wait_for(lock, limit, [this] { return running_ == 0; });
}

void CTransmitWorkers::StopAll() {
    std::list<std::unique_ptr<worker>> stopping;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& slot : workers_) {
            slot->control.Stop();
        }
        stopping.swap(workers_);
    }
    // Joined outside the lock: a finishing worker takes it to mark itself done.
    for (auto& slot : stopping) {
        slot->thread.join();
    }
}

}  // namespace plindar
