// The adapter lister on the real interface list (veth pairs) and on a damaged
// copy of the kernel's interface directory.
#include "protocol/adapter_lister.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <net/if.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/fixed_text.h"
#include "protocol/mac_text.h"
#include "protocol/pcap_link.h"
#include "support/temp_folder.h"
#include "support/veth_pair.h"

namespace plindar {
namespace {

namespace fs = std::filesystem;

std::optional<local_adapter_node> FindAdapter(const std::vector<local_adapter_node>& adapters,
                                              const std::string& name) {
    for (const local_adapter_node& node : adapters) {
        if (ReadFixedText(node.info.adapter_name) == name) {
            return node;
        }
    }
    return std::nullopt;
}

std::string CommandOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[256];
        while (size_t got = std::fread(chunk, 1, sizeof(chunk), pipe)) {
            output.append(chunk, got);
        }
        pclose(pipe);
    }
    return output;
}

// The MAC as iproute2 reports it, independently of how the lister reads it.
std::string IpLinkMac(const std::string& name) {
    std::istringstream words(CommandOutput("ip -o link show dev " + name));
    for (std::string word; words >> word;) {
        if (word == "link/ether" && words >> word) {
            return word;
        }
    }
    return "(no link/ether in ip output)";
}

void ExpectListedAs(const std::vector<local_adapter_node>& adapters, const std::string& name,
                    uint8_t state) {
    SCOPED_TRACE(name);
    const std::optional<local_adapter_node> node = FindAdapter(adapters, name);
    ASSERT_TRUE(node.has_value());
    EXPECT_EQ(node->state, state);
    EXPECT_EQ(FormatMacTextLower(node->info.hardware_address), IpLinkMac(name));
    EXPECT_EQ(ReadFixedText(node->info.description), name + " [virtual]");
}

TEST(AdapterLister, ListsVethEndsWithTheirStateAndMac) {
    test::VethPair pair;
    PLINDAR_REQUIRE_VETH(pair);

    std::vector<local_adapter_node> adapters = CPcapLinkProvider().ListAdapters();
    ExpectListedAs(adapters, pair.Host(), kAdapterStateUp);
    ExpectListedAs(adapters, pair.Devices(), kAdapterStateUp);
    EXPECT_FALSE(FindAdapter(adapters, "lo").has_value());
    unsigned previous_index = 0;
    for (const local_adapter_node& node : adapters) {
        const std::string name = ReadFixedText(node.info.adapter_name);
        const mac_address zero{};
        EXPECT_FALSE(std::equal(zero.begin(), zero.end(), node.info.hardware_address)) << name;
        // Interfaces can vanish between listing and looking up; only live ones count.
        if (const unsigned index = if_nametoindex(name.c_str())) {
            EXPECT_GT(index, previous_index) << name;
            previous_index = index;
        }
    }

    // Administrative state, not carrier: the host end stays up when its peer goes down.
    ASSERT_EQ(std::system(("ip link set " + pair.Devices() + " down").c_str()), 0);
    adapters = ListLocalAdapters();
    ExpectListedAs(adapters, pair.Host(), kAdapterStateUp);
    ExpectListedAs(adapters, pair.Devices(), 0);
}

// A copy of /sys/class/net with healthy, foreign and damaged entries.
class FakeClassNet {
public:
    struct interface_stu {
        std::string name;
        std::optional<std::string> type;
        std::optional<std::string> flags;
        std::optional<std::string> ifindex;
        std::optional<std::string> address;
        std::string driver;  // empty: no bound device
        bool is_virtual = false;
    };

    explicit FakeClassNet(const std::string& root) : root_(root), class_net_(root_ / "class/net") {
        fs::create_directories(class_net_);
    }

    void Add(const interface_stu& item) {
        fs::path folder = class_net_ / item.name;
        if (item.is_virtual) {
            // As in sysfs: the class entry is a link into the device tree.
            const fs::path target = root_ / "devices/virtual/net" / item.name;
            fs::create_directories(target);
            fs::create_directory_symlink(target, folder);
        } else {
            fs::create_directories(folder);
        }
        Write(folder / "type", item.type);
        Write(folder / "flags", item.flags);
        Write(folder / "ifindex", item.ifindex);
        Write(folder / "address", item.address);
        if (!item.driver.empty()) {
            const fs::path driver = root_ / "bus/drivers" / item.driver;
            fs::create_directories(driver);
            fs::create_directories(folder / "device");
            fs::create_directory_symlink(driver, folder / "device/driver");
        }
    }

    std::string ClassNet() const { return class_net_.string(); }

private:
    static void Write(const fs::path& file, const std::optional<std::string>& text) {
        if (text) {
            std::ofstream(file) << *text;
        }
    }

    fs::path root_;
    fs::path class_net_;
};

TEST(AdapterLister, ReadsOnlySoundEthernetEntriesInIndexOrder) {
    test::TempFolder folder;
    FakeClassNet tree(folder.Path());
    const std::string kMac = "52:54:00:12:34:56\n";
    const std::vector<FakeClassNet::interface_stu> interfaces = {
        {"eth0", "1\n", "0x1003\n", "5\n", kMac, "virtio_net"},
        {"down0", "1\n", "0x1002\n", "2\n", "52:54:00:AB:CD:EF\n"},
        {"br0", "1\n", "0x1003\n", "9\n", "02:00:00:00:00:09\n", "", true},
        {"lo", "772\n", "0x9\n", "1\n", "00:00:00:00:00:00\n", "", true},
        {"loopish", "1\n", "0x1009\n", "3\n", kMac},
        {"tun0", "65534\n", "0x1091\n", "4\n", kMac},
        {"zero0", "1\n", "0x1003\n", "6\n", "00:00:00:00:00:00\n"},
        {"junktype", "1x\n", "0x1003\n", "7\n", kMac},
        {"badflags", "1\n", "4099\n", "8\n", kMac},
        {"badmac", "1\n", "0x1003\n", "10\n", "52:54:00:12:34\n"},
        {"hugemac", "1\n", "0x1003\n", "11\n", kMac + std::string(100000, 'x')},
        {"noindex", "1\n", "0x1003\n", std::nullopt, kMac},
        {"notype", std::nullopt, "0x1003\n", "12\n", kMac},
        {"baddriver", "1\n", "0x1003\n", "13\n", "02:00:00:00:00:0D\n", "bad driver!"},
        {"this-name-is-too-long", "1\n", "0x1003\n", "14\n", kMac},
    };
    for (const auto& item : interfaces) {
        tree.Add(item);
    }

    struct expected_stu {
        std::string name;
        uint8_t state;
        std::string mac;
        std::string description;
    };
    const std::vector<expected_stu> expected = {
        {"down0", 0, "52:54:00:AB:CD:EF", "down0"},
        {"eth0", kAdapterStateUp, "52:54:00:12:34:56", "eth0 [virtio_net]"},
        {"br0", kAdapterStateUp, "02:00:00:00:00:09", "br0 [virtual]"},
        {"baddriver", kAdapterStateUp, "02:00:00:00:00:0D", "baddriver"},
    };
    const std::vector<local_adapter_node> adapters = ListLocalAdaptersIn(tree.ClassNet());
    ASSERT_EQ(adapters.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        const adapter_info_stu& info = adapters[i].info;
        EXPECT_EQ(ReadFixedText(info.adapter_name), expected[i].name);
        EXPECT_EQ(adapters[i].state, expected[i].state);
        EXPECT_EQ(FormatMacText(info.hardware_address), expected[i].mac);
        EXPECT_EQ(info.hardware_address[6], 0);
        EXPECT_EQ(info.hardware_address[7], 0);
        EXPECT_EQ(ReadFixedText(info.description), expected[i].description);
    }
}

TEST(AdapterLister, MissingFolderGivesAnEmptyList) {
    test::TempFolder folder;
    EXPECT_THAT(ListLocalAdaptersIn(folder.Path() + "absent"), testing::IsEmpty());
}

}  // namespace
}  // namespace plindar
