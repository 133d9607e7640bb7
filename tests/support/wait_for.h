// Waiting for something another thread does, with a generous limit so that a
// slow machine only makes a test slower, never wrong.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace plindar::test {

inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace plindar::test
