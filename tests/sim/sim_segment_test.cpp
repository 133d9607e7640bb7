// The in-process segment: delivery between stations through libpcap filters.
#include "sim/sim_segment.h"

#include <gtest/gtest.h>

#include <thread>

#include "protocol/frame_format.h"

namespace plindar {
namespace {

std::vector<uint8_t> FrameBytes(const transmit_frame_stu& frame) {
    auto* bytes = reinterpret_cast<const uint8_t*>(&frame);
    return {bytes, bytes + kFrameSize};
}

LinkReceive Take(CSimEndpoint& endpoint, std::vector<uint8_t>* frame,
                 std::chrono::microseconds timeout = std::chrono::microseconds(0)) {
    uint8_t buffer[kMaxEthernetFrame];
    size_t length = 0;
    LinkReceive result = endpoint.Receive(buffer, sizeof(buffer), &length, timeout);
    if (result == LinkReceive::Frame) {
        frame->assign(buffer, buffer + length);
    }
    return result;
}

const mac_address kHost = {0x02, 0, 0, 0, 0, 0x01};
const mac_address kDevice = {0x02, 0x5A, 0, 0, 0, 0x01};

TEST(SimSegment, FramesReachOtherStationsThroughTheirFiltersButNeverTheirOwn) {
    auto segment = CSimSegment::Create();
    auto host = segment->OpenEndpoint(SIM_STATION_HOST, 1 << 20);
    auto host_peer = segment->OpenEndpoint(SIM_STATION_HOST, 1 << 20);
    auto devices = segment->OpenEndpoint(SIM_STATION_DEVICES, 1 << 20);
    auto picky = segment->OpenEndpoint(SIM_STATION_DEVICES, 1 << 20);
    ASSERT_TRUE(devices->SetFilter("ether proto 0x6262"));
    ASSERT_TRUE(picky->SetFilter("ether dst 02:5a:00:00:00:02and ether proto 0x6262"));

    transmit_frame_stu request = BuildDiscoverRequest(kHost);
    ASSERT_TRUE(host->Send(reinterpret_cast<const uint8_t*>(&request), kFrameSize));

    std::vector<uint8_t> received;
    ASSERT_EQ(Take(*devices, &received), LinkReceive::Frame);
    EXPECT_EQ(received, FrameBytes(request));
    EXPECT_EQ(Take(*picky, &received), LinkReceive::Timeout);      // not addressed to it
    EXPECT_EQ(Take(*host_peer, &received), LinkReceive::Timeout);  // same station
    EXPECT_EQ(Take(*host, &received), LinkReceive::Timeout);       // its own frame

    transmit_frame_stu answer = BuildDiscoverAnswer(kDevice, kHost, {"a", "b", "c", "d"});
    ASSERT_TRUE(devices->Send(reinterpret_cast<const uint8_t*>(&answer), kFrameSize));
    ASSERT_EQ(Take(*host, &received), LinkReceive::Frame);
    ASSERT_EQ(Take(*host_peer, &received), LinkReceive::Frame);
    EXPECT_EQ(received, FrameBytes(answer));
}

TEST(SimSegment, BadFiltersAreRefusedAndLongFramesAreCutToTheReceiveBuffer) {
    auto segment = CSimSegment::Create();
    auto a = segment->OpenEndpoint(SIM_STATION_HOST, 1 << 20);
    auto b = segment->OpenEndpoint(SIM_STATION_DEVICES, 1 << 20);
    EXPECT_FALSE(b->SetFilter("ether proto nonsense"));
    EXPECT_FALSE(b->LastError().empty());

    std::vector<uint8_t> big(kMaxEthernetFrame, 0x62);
    ASSERT_TRUE(a->Send(big.data(), big.size()));
    uint8_t small[100];
    size_t length = 0;
    ASSERT_EQ(b->Receive(small, sizeof(small), &length, std::chrono::microseconds(0)),
              LinkReceive::Frame);
    EXPECT_EQ(length, sizeof(small));
    EXPECT_FALSE(a->Send(big.data(), kMaxEthernetFrame + 1));
}

TEST(SimSegment, AFullBufferDropsFramesLikeAKernelWould) {
    auto segment = CSimSegment::Create();
    auto sender = segment->OpenEndpoint(SIM_STATION_HOST, 1 << 20);
    auto tiny = segment->OpenEndpoint(SIM_STATION_DEVICES, 8 * 1024);  // room for 4 frames
    transmit_frame_stu frame = BuildDiscoverRequest(kHost);
    for (int i = 0; i < 10; ++i) {
        sender->Send(reinterpret_cast<const uint8_t*>(&frame), kFrameSize);
    }
    EXPECT_EQ(tiny->Dropped(), 6u);
    std::vector<uint8_t> received;
    int delivered = 0;
    while (Take(*tiny, &received) == LinkReceive::Frame) {
        ++delivered;
    }
    EXPECT_EQ(delivered, 4);
}

TEST(SimSegment, InterruptWakesABlockedReceiveForGood) {
    auto segment = CSimSegment::Create();
    auto endpoint = segment->OpenEndpoint(SIM_STATION_HOST, 1 << 20);
    std::vector<uint8_t> received;
    LinkReceive result = LinkReceive::Frame;
    std::thread waiter([&] { result = Take(*endpoint, &received, std::chrono::hours(1)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    endpoint->Interrupt();
    waiter.join();
    EXPECT_EQ(result, LinkReceive::Interrupted);
    EXPECT_EQ(Take(*endpoint, &received, std::chrono::hours(1)), LinkReceive::Interrupted);
}

TEST(SimSegment, ClosedEndpointsLeaveTheSegment) {
    auto segment = CSimSegment::Create();
    auto kept = segment->OpenEndpoint(SIM_STATION_HOST, 1 << 20);
    {
        auto gone = segment->OpenEndpoint(SIM_STATION_DEVICES, 1 << 20);
        EXPECT_EQ(segment->EndpointCount(), 2u);
    }
    EXPECT_EQ(segment->EndpointCount(), 1u);
    transmit_frame_stu frame = BuildDiscoverRequest(kHost);
    EXPECT_TRUE(kept->Send(reinterpret_cast<const uint8_t*>(&frame), kFrameSize));
}

}  // namespace
}  // namespace plindar
