// veth pairs for link tests.
#include "support/veth_pair.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace plindar::test {

namespace {

bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

bool OperUp(const std::string& name) {
    std::ifstream state("/sys/class/net/" + name + "/operstate");
    std::string word;
    return static_cast<bool>(state >> word) && word == "up";
}

}  // namespace

VethPair::VethPair() {
    // Interface names are limited to 15 characters; pid and a counter keep
    // parallel test processes apart.
    static std::atomic<int> counter{0};
    char base[16];
    std::snprintf(base, sizeof(base), "pl%05d%02d", static_cast<int>(getpid() % 100000),
                  counter++ % 100);
    host_ = std::string(base) + "h";
    devices_ = std::string(base) + "d";
    if (geteuid() != 0) {
        problem_ = "not running as root";
        return;
    }
    if (!Run("ip link add name " + host_ + " type veth peer name " + devices_)) {
        problem_ = "'ip link add ... type veth' failed";
        return;
    }
    // No IPv6 on these links: its router solicitations would be stray traffic.
    Run("sysctl -w net.ipv6.conf." + host_ + ".disable_ipv6=1");
    Run("sysctl -w net.ipv6.conf." + devices_ + ".disable_ipv6=1");
    if (!Run("ip link set " + host_ + " up") || !Run("ip link set " + devices_ + " up")) {
        problem_ = "could not bring the veth pair up";
        Run("ip link del " + host_);
        return;
    }
    // A new veth end drops frames until the kernel reports its carrier; wait for
    // both ends to say "up" so that no test races the link coming up.
    for (int attempt = 0; attempt < 500 && !(OperUp(host_) && OperUp(devices_)); ++attempt) {
        usleep(10 * 1000);
    }
    ready_ = true;
}

VethPair::~VethPair() {
    if (ready_) {
        Run("ip link del " + host_);
    }
}

}  // namespace plindar::test
