// A veth pair made for one test and deleted afterwards. Tests send only on links
// they made; where veth cannot be created (no root, no iproute2) they skip.
#pragma once

#include <string>

namespace plindar::test {

class VethPair {
public:
    VethPair();
    ~VethPair();
    VethPair(const VethPair&) = delete;
    VethPair& operator=(const VethPair&) = delete;

    bool Ready() const { return ready_; }
    // Why the pair could not be made, for the skip message.
    const std::string& Problem() const { return problem_; }
    const std::string& Host() const { return host_; }        // the operator's side
    const std::string& Devices() const { return devices_; }  // the devices' side

private:
    std::string host_;
    std::string devices_;
    bool ready_ = false;
    std::string problem_;
};

}  // namespace plindar::test

// Skips the current test with a clear message when the pair is not ready.
#define PLINDAR_REQUIRE_VETH(pair)                                               \
    do {                                                                         \
        if (!(pair).Ready()) {                                                   \
            GTEST_SKIP() << "veth pair unavailable (" << (pair).Problem()        \
                         << "); run as root with iproute2 to include this test"; \
        }                                                                        \
    } while (0)
