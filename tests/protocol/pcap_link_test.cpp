// The libpcap link on veth pairs: delivery, capture filters, direction, cutting,
// time-outs, interruption, bursts and failures.
#include "protocol/pcap_link.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "protocol/frame_format.h"
#include "protocol/mac_text.h"
#include "support/veth_pair.h"

namespace plindar {
namespace {

using namespace std::chrono_literals;

// Bound on waiting for a frame that must arrive: never reached on a healthy link,
// it only turns a lost frame into a failure instead of a hang.
constexpr std::chrono::microseconds kArrivalBound = 10s;
constexpr std::chrono::microseconds kForever = std::chrono::hours(24 * 365);
constexpr uint16_t kOtherEtherType = 0x88B5;  // IEEE local experimental
constexpr uint16_t kProbeEtherType = 0x88B6;  // IEEE local experimental, link probes only
constexpr size_t kMinimumFrame = 60;
constexpr size_t kIdOffset = 14;
constexpr size_t kReceiveCapacity = 2048;
constexpr int kProbeAttempts = 250;
constexpr std::chrono::microseconds kProbeWait = 20ms;

const mac_address kTarget = {0x02, 0x5A, 0x00, 0x00, 0x00, 0x01};
const mac_address kOtherDevice = {0x02, 0x5A, 0x00, 0x00, 0x00, 0x02};
const mac_address kAdapter = {0x02, 0x5A, 0x00, 0x00, 0x00, 0xAA};
const mac_address kBroadcast = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// A frame whose id (bytes 14..17) says which one it is, the rest a pattern
// derived from the id so that any corruption shows.
std::vector<uint8_t> MakeFrame(const mac_address& destination, uint16_t ether_type, uint32_t id,
                               size_t size = kFrameSize) {
    std::vector<uint8_t> frame(size);
    std::copy(destination.begin(), destination.end(), frame.begin());
    std::copy(kAdapter.begin(), kAdapter.end(), frame.begin() + kMacLength);
    frame[12] = static_cast<uint8_t>(ether_type >> 8);
    frame[13] = static_cast<uint8_t>(ether_type & 0xFF);
    for (int shift = 0; shift < 4; ++shift) {
        frame[kIdOffset + shift] = static_cast<uint8_t>(id >> (24 - 8 * shift));
    }
    for (size_t i = kIdOffset + 4; i < size; ++i) {
        frame[i] = static_cast<uint8_t>(i * 7 + id);
    }
    return frame;
}

uint32_t FrameId(const uint8_t* frame) {
    return (uint32_t{frame[kIdOffset]} << 24) | (uint32_t{frame[kIdOffset + 1]} << 16) |
           (uint32_t{frame[kIdOffset + 2]} << 8) | uint32_t{frame[kIdOffset + 3]};
}

uint16_t FrameEtherType(const uint8_t* frame) {
    return static_cast<uint16_t>((frame[12] << 8) | frame[13]);
}

std::string EtherProtoFilter(uint16_t ether_type) {
    char text[32];
    std::snprintf(text, sizeof(text), "ether proto 0x%04x", ether_type);
    return text;
}

class PcapLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        PLINDAR_REQUIRE_VETH(pair_);
        ASSERT_TRUE(WaitUntilLinkPasses(pair_.Host(), pair_.Devices()));
        ASSERT_TRUE(WaitUntilLinkPasses(pair_.Devices(), pair_.Host()));
    }

    std::unique_ptr<CLinkHandle> OpenOn(const std::string& device,
                                        const link_open_options& options = {}) {
        LinkOpenError kind = LinkOpenError::Other;
        std::string text;
        std::unique_ptr<CLinkHandle> handle = provider_.Open(device, options, &kind, &text);
        EXPECT_NE(handle, nullptr) << "opening " << device << ": " << text;
        EXPECT_EQ(kind, handle ? LinkOpenError::None : LinkOpenError::Other);
        return handle;
    }

    // A freshly made veth end may drop what is sent on it until the kernel has
    // finished activating it; probing until a frame gets through keeps the
    // tests independent of that start-up delay.
    bool WaitUntilLinkPasses(const std::string& from, const std::string& to) {
        std::unique_ptr<CLinkHandle> sender = OpenOn(from);
        std::unique_ptr<CLinkHandle> receiver = OpenOn(to);
        if (!sender || !receiver || !receiver->SetFilter(EtherProtoFilter(kProbeEtherType))) {
            return false;
        }
        const std::vector<uint8_t> probe = MakeFrame(kBroadcast, kProbeEtherType, 0, kMinimumFrame);
        uint8_t buffer[kReceiveCapacity];
        size_t length = 0;
        for (int attempt = 0; attempt < kProbeAttempts; ++attempt) {
            if (sender->Send(probe.data(), probe.size()) &&
                receiver->Receive(buffer, sizeof(buffer), &length, kProbeWait) ==
                    LinkReceive::Frame) {
                return true;
            }
        }
        return false;
    }

    // Receives until the frame with id `last` and returns the ids in arrival
    // order; frames of other EtherTypes (stray traffic) are passed over.
    std::vector<uint32_t> ReceiveIdsUntil(CLinkHandle& handle, uint16_t ether_type, uint32_t last) {
        std::vector<uint32_t> ids;
        uint8_t buffer[kReceiveCapacity];
        for (;;) {
            size_t length = 0;
            const LinkReceive result =
                handle.Receive(buffer, sizeof(buffer), &length, kArrivalBound);
            if (result != LinkReceive::Frame) {
                ADD_FAILURE() << "expected frame " << last << ", got result "
                              << static_cast<int>(result) << " " << handle.LastError();
                return ids;
            }
            if (length < kIdOffset + 4 || FrameEtherType(buffer) != ether_type) {
                continue;
            }
            ids.push_back(FrameId(buffer));
            if (ids.back() == last) {
                return ids;
            }
        }
    }

    test::VethPair pair_;
    CPcapLinkProvider provider_;
};

TEST_F(PcapLinkTest, FrameArrivesIntactInBothDirections) {
    struct direction {
        std::string from;
        std::string to;
        size_t size;
    };
    for (const direction& way : {direction{pair_.Host(), pair_.Devices(), kFrameSize},
                                 direction{pair_.Devices(), pair_.Host(), kMinimumFrame}}) {
        SCOPED_TRACE(way.from + " -> " + way.to);
        auto sender = OpenOn(way.from);
        // No filter: the handle must receive every frame until one is set.
        auto receiver = OpenOn(way.to);
        ASSERT_TRUE(sender && receiver);
        const std::vector<uint8_t> frame = MakeFrame(kTarget, kEtherType, 7, way.size);
        ASSERT_TRUE(sender->Send(frame.data(), frame.size())) << sender->LastError();

        uint8_t buffer[kReceiveCapacity];
        size_t length = 0;
        do {
            ASSERT_EQ(receiver->Receive(buffer, sizeof(buffer), &length, kArrivalBound),
                      LinkReceive::Frame)
                << receiver->LastError();
        } while (length < kIdOffset || FrameEtherType(buffer) != kEtherType);
        ASSERT_EQ(length, frame.size());
        EXPECT_TRUE(std::equal(frame.begin(), frame.end(), buffer));
    }
}

TEST_F(PcapLinkTest, FiltersAdmitOnlyMatchingFrames) {
    struct sent_frame {
        mac_address destination;
        uint16_t ether_type;
        bool admitted;
    };
    struct filter_case {
        std::string expression;
        std::vector<sent_frame> frames;  // the last one is always admitted
    };
    const std::vector<filter_case> cases = {
        {EtherProtoFilter(kEtherType),
         {{kTarget, kOtherEtherType, false},
          {kTarget, kEtherType, true},
          {kBroadcast, kOtherEtherType, false},
          {kOtherDevice, kEtherType, true},
          {kBroadcast, kEtherType, true}}},
        // The worker's filter text, with no blank before "and".
        {"ether dst " + FormatMacTextLower(kTarget) + "and ether proto 0x6262",
         {{kOtherDevice, kEtherType, false},
          {kTarget, kOtherEtherType, false},
          {kTarget, kEtherType, true},
          {kBroadcast, kEtherType, false},
          {kOtherDevice, kOtherEtherType, false},
          {kTarget, kEtherType, true}}},
        // Upper-case MAC text as the worker filters build it.
        {"ether dst " + FormatMacText(kTarget) + "and ether proto 0x6262",
         {{kOtherDevice, kEtherType, false}, {kTarget, kEtherType, true}}},
    };
    for (const filter_case& test : cases) {
        SCOPED_TRACE(test.expression);
        auto sender = OpenOn(pair_.Host());
        auto receiver = OpenOn(pair_.Devices());
        ASSERT_TRUE(sender && receiver);
        ASSERT_TRUE(receiver->SetFilter(test.expression)) << receiver->LastError();

        std::vector<uint32_t> expected;
        for (uint32_t id = 0; id < test.frames.size(); ++id) {
            const sent_frame& item = test.frames[id];
            const std::vector<uint8_t> frame = MakeFrame(item.destination, item.ether_type, id);
            ASSERT_TRUE(sender->Send(frame.data(), frame.size())) << sender->LastError();
            if (item.admitted) {
                expected.push_back(id);
            }
        }
        // Any frame that slipped through would show up among the received ids,
        // since it was sent before the final admitted one.
        const auto last = static_cast<uint32_t>(test.frames.size() - 1);
        uint8_t buffer[kReceiveCapacity];
        std::vector<uint32_t> ids;
        for (size_t length = 0; ids.empty() || ids.back() != last;) {
            ASSERT_EQ(receiver->Receive(buffer, sizeof(buffer), &length, kArrivalBound),
                      LinkReceive::Frame)
                << receiver->LastError() << " after ids " << testing::PrintToString(ids);
            ids.push_back(FrameId(buffer));
        }
        EXPECT_EQ(ids, expected);
    }
}

TEST_F(PcapLinkTest, RejectsAnInvalidFilterWithAReason) {
    auto handle = OpenOn(pair_.Devices());
    ASSERT_TRUE(handle);
    EXPECT_FALSE(handle->SetFilter("ether proto and and"));
    EXPECT_THAT(handle->LastError(), testing::HasSubstr("ether proto and and"));
}

TEST_F(PcapLinkTest, InboundOnlyHandleDoesNotSeeFramesItsHostSends) {
    auto host_sender = OpenOn(pair_.Host());
    link_open_options both_ways;
    both_ways.inbound_only = false;
    auto inbound = OpenOn(pair_.Host());
    auto any_direction = OpenOn(pair_.Host(), both_ways);
    auto device_sender = OpenOn(pair_.Devices());
    ASSERT_TRUE(host_sender && inbound && any_direction && device_sender);
    ASSERT_TRUE(inbound->SetFilter(EtherProtoFilter(kEtherType)));
    ASSERT_TRUE(any_direction->SetFilter(EtherProtoFilter(kEtherType)));

    constexpr uint32_t kOutgoing = 1;
    constexpr uint32_t kIncoming = 2;
    const auto outgoing = MakeFrame(kTarget, kEtherType, kOutgoing);
    const auto incoming = MakeFrame(kAdapter, kEtherType, kIncoming);
    ASSERT_TRUE(host_sender->Send(outgoing.data(), outgoing.size()));
    ASSERT_TRUE(device_sender->Send(incoming.data(), incoming.size()));

    // The outgoing frame was captured (or not) before the incoming one was even
    // sent, so arrival order proves its absence without waiting for a timeout.
    EXPECT_EQ(ReceiveIdsUntil(*inbound, kEtherType, kIncoming), std::vector<uint32_t>{kIncoming});
    EXPECT_EQ(ReceiveIdsUntil(*any_direction, kEtherType, kIncoming),
              (std::vector<uint32_t>{kOutgoing, kIncoming}));
}

TEST_F(PcapLinkTest, FrameLongerThanCapacityIsCut) {
    auto sender = OpenOn(pair_.Host());
    auto receiver = OpenOn(pair_.Devices());
    ASSERT_TRUE(sender && receiver);
    ASSERT_TRUE(receiver->SetFilter(EtherProtoFilter(kEtherType)));
    const auto frame = MakeFrame(kTarget, kEtherType, 3);
    ASSERT_TRUE(sender->Send(frame.data(), frame.size()));

    constexpr size_t kCapacity = 100;
    constexpr uint8_t kGuard = 0xA5;
    std::vector<uint8_t> buffer(kCapacity * 2, kGuard);
    size_t length = 0;
    ASSERT_EQ(receiver->Receive(buffer.data(), kCapacity, &length, kArrivalBound),
              LinkReceive::Frame);
    EXPECT_EQ(length, kCapacity);
    EXPECT_TRUE(std::equal(frame.begin(), frame.begin() + kCapacity, buffer.begin()));
    EXPECT_TRUE(std::all_of(buffer.begin() + kCapacity, buffer.end(),
                            [](uint8_t byte) { return byte == kGuard; }));
}

TEST_F(PcapLinkTest, SilentLinkTimesOutAndStaysUsable) {
    auto sender = OpenOn(pair_.Host());
    auto receiver = OpenOn(pair_.Devices());
    ASSERT_TRUE(sender && receiver);
    ASSERT_TRUE(receiver->SetFilter(EtherProtoFilter(kEtherType)));
    uint8_t buffer[kReceiveCapacity];
    size_t length = 1;
    for (std::chrono::microseconds timeout : {0us, 20000us}) {
        EXPECT_EQ(receiver->Receive(buffer, sizeof(buffer), &length, timeout),
                  LinkReceive::Timeout);
        EXPECT_EQ(length, 0u);
    }
    const auto frame = MakeFrame(kTarget, kEtherType, 4);
    ASSERT_TRUE(sender->Send(frame.data(), frame.size()));
    EXPECT_EQ(ReceiveIdsUntil(*receiver, kEtherType, 4), std::vector<uint32_t>{4});
}

TEST_F(PcapLinkTest, InterruptWakesABlockedReceiveForGood) {
    auto sender = OpenOn(pair_.Host());
    auto receiver = OpenOn(pair_.Devices());
    ASSERT_TRUE(sender && receiver);
    ASSERT_TRUE(receiver->SetFilter(EtherProtoFilter(kEtherType)));

    std::future<LinkReceive> blocked = std::async(std::launch::async, [&receiver] {
        uint8_t buffer[kReceiveCapacity];
        size_t length = 0;
        return receiver->Receive(buffer, sizeof(buffer), &length, kForever);
    });
    receiver->Interrupt();
    EXPECT_EQ(blocked.get(), LinkReceive::Interrupted);

    // Even with a frame waiting, an interrupted handle only says Interrupted.
    const auto frame = MakeFrame(kTarget, kEtherType, 5);
    ASSERT_TRUE(sender->Send(frame.data(), frame.size()));
    uint8_t buffer[kReceiveCapacity];
    size_t length = 0;
    for (std::chrono::microseconds timeout : {0us, kForever}) {
        EXPECT_EQ(receiver->Receive(buffer, sizeof(buffer), &length, timeout),
                  LinkReceive::Interrupted);
    }
}

TEST_F(PcapLinkTest, BurstArrivesCompleteAndInOrder) {
    constexpr uint32_t kBurst = 2000;
    link_open_options listener;
    listener.buffer_bytes = kListenerBufferBytes;
    auto sender = OpenOn(pair_.Host());
    auto receiver = OpenOn(pair_.Devices(), listener);
    ASSERT_TRUE(sender && receiver);
    ASSERT_TRUE(receiver->SetFilter(EtherProtoFilter(kEtherType)));

    std::vector<uint32_t> expected;
    for (uint32_t id = 0; id < kBurst; ++id) {
        const auto frame = MakeFrame(kTarget, kEtherType, id);
        ASSERT_TRUE(sender->Send(frame.data(), frame.size())) << id << ": " << sender->LastError();
        expected.push_back(id);
    }
    EXPECT_EQ(ReceiveIdsUntil(*receiver, kEtherType, kBurst - 1), expected);
}

TEST_F(PcapLinkTest, ReceiveReportsErrorWhenTheInterfaceDisappears) {
    auto receiver = OpenOn(pair_.Devices());
    ASSERT_TRUE(receiver);
    ASSERT_TRUE(receiver->SetFilter(EtherProtoFilter(kEtherType)));
    // Deleting one end of a veth pair deletes both.
    ASSERT_EQ(std::system(("ip link del " + pair_.Host() + " >/dev/null 2>&1").c_str()), 0);
    uint8_t buffer[kReceiveCapacity];
    size_t length = 0;
    EXPECT_EQ(receiver->Receive(buffer, sizeof(buffer), &length, kArrivalBound),
              LinkReceive::Error);
    EXPECT_FALSE(receiver->LastError().empty());
}

TEST_F(PcapLinkTest, CaptureDevicesIncludeBothEnds) {
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(provider_.ListCaptureDevices(&names, &error)) << error;
    EXPECT_THAT(names, testing::Contains(pair_.Host()));
    EXPECT_THAT(names, testing::Contains(pair_.Devices()));
}

TEST(PcapLinkOpen, NonexistentDeviceIsReportedAsSuch) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "without root libpcap reports missing permission before the device";
    }
    CPcapLinkProvider provider;
    LinkOpenError kind = LinkOpenError::None;
    std::string text;
    EXPECT_EQ(provider.Open("plnosuchdev0", link_open_options{}, &kind, &text), nullptr);
    EXPECT_EQ(kind, LinkOpenError::NoSuchDevice);
    EXPECT_THAT(text, testing::HasSubstr("plnosuchdev0"));
    // The caller may not care why.
    EXPECT_EQ(provider.Open("plnosuchdev0", link_open_options{}, nullptr, nullptr), nullptr);
}

TEST(PcapLinkOpen, MissingCaptureRightsAreReportedAsSuch) {
    CPcapLinkProvider provider;
    LinkOpenError kind = LinkOpenError::None;
    std::string text;
    if (provider.Open("lo", link_open_options{}, &kind, &text) != nullptr) {
        GTEST_SKIP() << "this process may capture (root or CAP_NET_RAW)";
    }
    EXPECT_EQ(kind, LinkOpenError::PermissionDenied) << text;
}

}  // namespace
}  // namespace plindar
