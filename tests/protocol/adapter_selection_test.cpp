// Adapter list, capture device choice and display texts.
#include <gtest/gtest.h>

#include "protocol/ac_transmit_manage.h"
#include "protocol/fixed_text.h"

namespace plindar {
namespace {

local_adapter_node Node(uint8_t state, const char* name, uint8_t last) {
    local_adapter_node node{};
    node.state = state;
    uint8_t mac[6] = {0xAA, 0xBB, 0xCC, 0x0D, 0x0E, last};
    std::copy(mac, mac + 6, node.info.hardware_address);
    WriteFixedText(node.info.description, std::string("Adapter ") + name);
    WriteFixedText(node.info.adapter_name, name);
    return node;
}

class CScriptedProvider : public CLinkProvider {
public:
    std::unique_ptr<CLinkHandle> Open(const std::string&, const link_open_options&, LinkOpenError*,
                                      std::string*) override {
        return nullptr;
    }
    bool ListCaptureDevices(std::vector<std::string>* names, std::string* error) override {
        if (fail_listing) {
            *error = "no permission";
            return false;
        }
        *names = capture_devices;
        return true;
    }
    std::vector<local_adapter_node> ListAdapters() override { return adapters; }

    std::vector<local_adapter_node> adapters;
    std::vector<std::string> capture_devices;
    bool fail_listing = false;
};

TEST(AdapterSelection, OnlyAdaptersThatAreUpAreListedInTheListersOrder) {
    auto provider = std::make_shared<CScriptedProvider>();
    provider->adapters = {Node(1, "eth0", 1), Node(0, "eth1", 2), Node(2, "eth2", 3),
                          Node(1, "eth3", 4)};
    AcTransmitManage manager(nullptr, provider);
    std::vector<adapter_info_stu> listed = {adapter_info_stu{}};  // emptied first
    manager.GetAdapterList(&listed);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(ReadFixedText(listed[0].adapter_name), "eth0");
    EXPECT_EQ(ReadFixedText(listed[1].adapter_name), "eth3");
}

TEST(AdapterSelection, DisplayTextShowsTheMacInLowerCase) {
    local_adapter_node node = Node(1, "eth0", 0xEF);
    EXPECT_EQ(FormatAdapterText(node.info), "Adapter eth0 (aa:bb:cc:0d:0e:ef)");
}

TEST(AdapterSelection, CaptureDeviceIsTheExactNameElseTheFirstThatContainsIt) {
    const struct {
        std::vector<std::string> devices;
        const char* adapter;
        int expected;
    } cases[] = {
        {{"any", "eth0", "eth1"}, "eth1", 2},
        {{"eth10", "eth1"}, "eth1", 1},  // a longer name containing it must not win
        {{"\\Device\\NPF_{A}", "\\Device\\NPF_{B}"}, "{B}", 1},
        {{"usb-x-eth0-a", "usb-x-eth0-b"}, "eth0", 0},  // first in the library's order
        {{"eth0"}, "wlan0", -1},
        {{"eth0"}, "", -1},
        {{}, "eth0", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindCaptureDevice(c.devices, c.adapter), c.expected) << c.adapter;
    }
}

TEST(AdapterSelection, SelectingKeepsThePreviousDeviceWhenNothingMatchesOrListingFails) {
    auto provider = std::make_shared<CScriptedProvider>();
    provider->capture_devices = {"any", "eth0", "eth1"};
    AcTransmitManage manager(nullptr, provider);
    std::vector<std::string> messages;
    manager.SetMessageSink([&](const std::string& text) { messages.push_back(text); });

    ASSERT_TRUE(manager.SelectPcapDevice(Node(1, "eth1", 1).info));
    EXPECT_EQ(manager.GetAdapterDeviceName(), "eth1");

    EXPECT_FALSE(manager.SelectPcapDevice(Node(1, "wlan0", 2).info));
    EXPECT_EQ(manager.GetAdapterDeviceName(), "eth1");
    EXPECT_TRUE(messages.empty());

    provider->fail_listing = true;
    EXPECT_FALSE(manager.SelectPcapDevice(Node(1, "eth0", 3).info));
    EXPECT_EQ(manager.GetAdapterDeviceName(), "eth1");
    EXPECT_EQ(messages, std::vector<std::string>{"pcap_findalldevs error"});
}

}  // namespace
}  // namespace plindar
