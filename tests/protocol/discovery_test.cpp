// Discovery: listener, answer queue, manage thread, device table and store rows,
// driven over the in-process segment.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "protocol/ac_transmit_manage.h"
#include "protocol/fixed_text.h"
#include "records/sql_management.h"
#include "sim/simulated_network.h"
#include "support/temp_folder.h"
#include "support/wait_for.h"

namespace plindar {
namespace {

using test::WaitFor;

mac_address DeviceMac(uint8_t last) {
    return {0x02, 0x5A, 0x00, 0x00, 0x10, last};
}

// A manager over a fresh store on a simulated segment, with a raw endpoint on the
// devices' side through which a test plays whatever a device might send.
class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        store_ = std::make_unique<CSqlManagement>(folder_.Path(), nullptr);
        ASSERT_TRUE(store_->IsOpen());
        segment_ = CSimSegment::Create();
        manager_ = std::make_unique<AcTransmitManage>(store_.get(),
                                                      std::make_shared<CSimLinkProvider>(segment_));
        manager_->SetAdapterMac(kSimAdapterMac);
        manager_->SetAdapterDeviceName(kSimAdapterName);
        manager_->SetRunLogFolder(folder_.Path());
        devices_ = segment_->OpenEndpoint(SIM_STATION_DEVICES, 64 * 1024 * 1024);
        ASSERT_TRUE(manager_->Init());
    }

    void TearDown() override {
        manager_.reset();
        store_.reset();
    }

    void SendFromDevice(const transmit_frame_stu& frame, size_t length = kFrameSize) {
        std::vector<uint8_t> bytes(reinterpret_cast<const uint8_t*>(&frame),
                                   reinterpret_cast<const uint8_t*>(&frame) + kFrameSize);
        bytes.resize(length, 0xEE);
        ASSERT_TRUE(devices_->Send(bytes.data(), bytes.size()));
    }

    transmit_frame_stu Answer(uint8_t last, const char* ssid2, const char* key2 = "key") {
        return BuildDiscoverAnswer(DeviceMac(last), kSimAdapterMac, {ssid2, "ssid5", key2, "key5"});
    }

    std::vector<ap_info_stu> StoredDevices() {
        std::vector<ap_info_stu> rows;
        int total = 0, ok = 0, failed = 0;
        EXPECT_TRUE(store_->QueryDevices(&rows, &total, &ok, &failed, true, SORT_BY_MAC, ""));
        return rows;
    }

    bool WaitForTable(size_t count) {
        return WaitFor([&] { return manager_->GetDeviceCount() >= count; });
    }

    test::TempFolder folder_;
    std::unique_ptr<CSqlManagement> store_;
    std::shared_ptr<CSimSegment> segment_;
    std::unique_ptr<AcTransmitManage> manager_;
    std::unique_ptr<CSimEndpoint> devices_;
};

TEST_F(DiscoveryTest, ADeviceAnsweringTwiceInOneScanKeepsItsFirstAnswer) {
    SendFromDevice(Answer(1, "first"));
    SendFromDevice(Answer(1, "second"));
    SendFromDevice(Answer(2, "other"));
    ASSERT_TRUE(WaitForTable(2));
    // The second answer of device 1 was queued before device 2's: once device 2 is
    // in, device 1's duplicate has been handled too.
    std::vector<ap_discover_stu> table = manager_->GetDevices();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_STREQ(table[0].mac, "02:5A:00:00:10:01");
    EXPECT_EQ(ReadFixedText(table[0].ssid2), "first");
    std::vector<ap_info_stu> rows = StoredDevices();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(ReadFixedText(rows[0].ssid2).substr(0, 5), "first");
}

TEST_F(DiscoveryTest, AfterClearDevicesTheSameDeviceIsFoundAgainAndItsRowStartsOver) {
    SendFromDevice(Answer(7, "before"));
    ASSERT_TRUE(WaitForTable(1));
    ASSERT_TRUE(store_->SetParaStatus("02:5A:00:00:10:07", STATUS_TRANSMIT_FINISH));

    manager_->ClearDevices();
    EXPECT_EQ(manager_->GetDeviceCount(), 0u);
    SendFromDevice(Answer(7, "after"));
    ASSERT_TRUE(WaitForTable(1));
    EXPECT_EQ(ReadFixedText(manager_->GetDevices()[0].ssid2), "after");
    ASSERT_TRUE(WaitFor([&] {
        std::vector<ap_info_stu> rows = StoredDevices();
        return rows.size() == 1 && ReadFixedText(rows[0].ssid2).rfind("after", 0) == 0;
    }));
    std::vector<ap_info_stu> rows = StoredDevices();
    EXPECT_EQ(rows[0].para_status, STATUS_WAIT_OPERATE);
}

TEST_F(DiscoveryTest, ABurstOfAnswersIsMergedCompletelyInArrivalOrder) {
    constexpr int kDevices = 600;
    for (int i = 0; i < kDevices; ++i) {
        mac_address mac = {
            0x02, 0x5A, 0x01, 0x00, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i & 0xFF)};
        // Every answer twice, as a device that repeats itself would.
        transmit_frame_stu answer = BuildDiscoverAnswer(mac, kSimAdapterMac, {"s", "s", "k", "k"});
        SendFromDevice(answer);
        SendFromDevice(answer);
    }
    ASSERT_TRUE(WaitForTable(kDevices));
    ASSERT_TRUE(WaitFor([&] { return store_->CountDevices() == kDevices; }));
    std::vector<ap_discover_stu> table = manager_->GetDevices();
    ASSERT_EQ(table.size(), static_cast<size_t>(kDevices));
    for (int i = 0; i < kDevices; ++i) {
        char expected[18];
        std::snprintf(expected, sizeof(expected), "02:5A:01:00:%02X:%02X", i >> 8, i & 0xFF);
        ASSERT_STREQ(table[i].mac, expected) << "entry " << i;
    }
}

TEST_F(DiscoveryTest, TruncatedAndOversizedAnswersAreReadSafely) {
    // Ends right after the code field: a device with no texts at all.
    SendFromDevice(Answer(1, "never-seen"), 20);
    // Padded to the largest Ethernet frame: the tail is ignored.
    SendFromDevice(Answer(2, "intact", "key-intact"), kMaxEthernetFrame);
    // Cut in the middle of the first text.
    SendFromDevice(Answer(3, "abcdefgh"), 22 + 4);
    ASSERT_TRUE(WaitForTable(3));
    std::vector<ap_discover_stu> table = manager_->GetDevices();
    EXPECT_EQ(ReadFixedText(table[0].ssid2), "");
    EXPECT_EQ(ReadFixedText(table[0].wpakey5), "");
    EXPECT_EQ(ReadFixedText(table[1].ssid2), "intact");
    EXPECT_EQ(ReadFixedText(table[1].wpakey2), "key-intact");
    EXPECT_EQ(ReadFixedText(table[1].wpakey5), "key5");
    EXPECT_EQ(ReadFixedText(table[2].ssid2), "abcd");
}

TEST_F(DiscoveryTest, FramesThatAreNotAnswersGoToReportHandlingAndAddNoDevice) {
    transmit_frame_stu report = Answer(4, "x");
    WriteU16(report.type, FRAME_TYPE_ANTITHEFT);
    WriteU16(report.code, CODE_ANTITHEFT_OK);
    SendFromDevice(report);
    transmit_frame_stu request_echo = Answer(5, "x");
    WriteU16(request_echo.code, CODE_DISCOVER_REQ);  // type 0 but not an answer
    SendFromDevice(request_echo);
    ASSERT_TRUE(WaitFor([&] { return manager_->GetReportFrameCount() == 2; }));
    // A real answer afterwards proves the listener went on.
    SendFromDevice(Answer(6, "real"));
    ASSERT_TRUE(WaitForTable(1));
    EXPECT_STREQ(manager_->GetDevices()[0].mac, "02:5A:00:00:10:06");
}

TEST_F(DiscoveryTest, TheListenerHearsOnlyProtocolFramesAddressedToTheAdapter) {
    transmit_frame_stu elsewhere =
        BuildDiscoverAnswer(DeviceMac(1), {0x02, 0, 0, 0, 0, 0x99}, {"a", "b", "c", "d"});
    SendFromDevice(elsewhere);
    transmit_frame_stu other_protocol = Answer(2, "ipv4?");
    WriteU16(other_protocol.ether_type, 0x0800);
    SendFromDevice(other_protocol);
    SendFromDevice(Answer(3, "mine"));
    ASSERT_TRUE(WaitForTable(1));
    std::vector<ap_discover_stu> table = manager_->GetDevices();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_STREQ(table[0].mac, "02:5A:00:00:10:03");
    EXPECT_EQ(manager_->GetReportFrameCount(), 0u);
}

TEST_F(DiscoveryTest, ASecondInitReplacesTheThreadsAndClosesTheOldHandle) {
    size_t endpoints = segment_->EndpointCount();  // the listener's and the devices'
    for (int round = 0; round < 5; ++round) {
        ASSERT_TRUE(manager_->Init());
        EXPECT_EQ(segment_->EndpointCount(), endpoints) << "round " << round;
    }
    SendFromDevice(Answer(9, "after-reinit"));
    ASSERT_TRUE(WaitForTable(1));
    manager_->StopThreads();
    EXPECT_EQ(segment_->EndpointCount(), endpoints - 1);
}

TEST_F(DiscoveryTest, AnAdapterThatCannotBeOpenedFindsNothingAndSendsNothing) {
    manager_->SetAdapterDeviceName("no-such-adapter");
    EXPECT_FALSE(manager_->Init());
    EXPECT_FALSE(manager_->IsListening());
    EXPECT_FALSE(manager_->SendDiscover());
    EXPECT_EQ(segment_->FramesTransmitted(), 0u);
}

// A scan against the device model: every device found once with its own texts.
TEST(DiscoveryWithDevices, EveryVirtualDeviceIsFoundWithItsTexts) {
    test::TempFolder folder;
    CSqlManagement store(folder.Path(), nullptr);
    sim_device_options options;
    options.count = 40;
    options.duplicate_answers = 1;
    options.fill_fields = true;  // every text fills its field, unterminated
    CSimulatedNetwork network(options);
    std::string error;
    ASSERT_TRUE(network.Start(&error)) << error;
    AcTransmitManage manager(&store, network.Provider());
    manager.SetAdapterMac(kSimAdapterMac);
    manager.SetAdapterDeviceName(kSimAdapterName);
    ASSERT_TRUE(manager.Init());
    ASSERT_TRUE(manager.SendDiscover());
    ASSERT_TRUE(WaitFor([&] { return store.CountDevices() == 40; }));

    std::vector<ap_discover_stu> table = manager.GetDevices();
    ASSERT_EQ(table.size(), 40u);
    const std::vector<sim_device>& devices = network.Devices().Devices();
    for (const sim_device& device : devices) {
        auto found = std::find_if(table.begin(), table.end(), [&](const ap_discover_stu& entry) {
            return FormatMacText(device.mac) == entry.mac;
        });
        ASSERT_NE(found, table.end()) << FormatMacText(device.mac);
        EXPECT_EQ(ReadFixedText(found->ssid2), device.ssid2);
        EXPECT_EQ(ReadFixedText(found->ssid5), device.ssid5);
        EXPECT_EQ(ReadFixedText(found->wpakey2), device.wpakey2);
        EXPECT_EQ(ReadFixedText(found->wpakey5), device.wpakey5);
    }
    // The store keeps what fits its columns: 33 characters of an SSID, 64 of a key.
    ap_info_stu row{};
    ASSERT_TRUE(store.GetDeviceByMac(FormatMacText(devices[0].mac), &row));
    EXPECT_EQ(ReadFixedText(row.ssid2), devices[0].ssid2.substr(0, 33));
    EXPECT_EQ(ReadFixedText(row.wpakey5), devices[0].wpakey5.substr(0, 64));
}

// A link whose receive always fails, counting how often it is asked.
class CFailingHandle : public CLinkHandle {
public:
    explicit CFailingHandle(std::atomic<int>* calls) : calls_(calls) {}
    bool SetFilter(const std::string&) override { return true; }
    bool Send(const uint8_t*, size_t) override { return true; }
    LinkReceive Receive(uint8_t*, size_t, size_t*, std::chrono::microseconds) override {
        calls_->fetch_add(1);
        return interrupted_.load() ? LinkReceive::Interrupted : LinkReceive::Error;
    }
    void Interrupt() override { interrupted_ = true; }
    std::string LastError() const override { return "link down"; }

private:
    std::atomic<int>* calls_;
    std::atomic<bool> interrupted_{false};
};

class CFailingProvider : public CLinkProvider {
public:
    std::unique_ptr<CLinkHandle> Open(const std::string&, const link_open_options&, LinkOpenError*,
                                      std::string*) override {
        return std::make_unique<CFailingHandle>(&calls);
    }
    bool ListCaptureDevices(std::vector<std::string>*, std::string*) override { return false; }
    std::vector<local_adapter_node> ListAdapters() override { return {}; }
    std::atomic<int> calls{0};
};

TEST(DiscoveryListener, AFailingReceiveBacksOffInsteadOfSpinning) {
    auto provider = std::make_shared<CFailingProvider>();
    AcTransmitManage manager(nullptr, provider);
    ASSERT_TRUE(manager.Init());
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    manager.StopThreads();
    // A spinning listener makes millions of calls in a second; one that backs off
    // makes a handful. Slowness can only lower the count.
    EXPECT_GE(provider->calls.load(), 1);
    EXPECT_LE(provider->calls.load(), 20);
}

}  // namespace
}  // namespace plindar
