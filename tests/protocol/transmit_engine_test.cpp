// Transfers on the wire: chunking, acknowledgements, retransmission, statuses.
#include "protocol/transmit_engine.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "content/apply_jobs.h"
#include "transmit_test_fixture.h"

namespace plindar {
namespace {

using test::TransmitFixture;
using test::WaitFor;

struct wire_chunk {
    uint16_t type, code, sequence, position, transfer_count, length;
    bool operator==(const wire_chunk&) const = default;
};

std::ostream& operator<<(std::ostream& out, const wire_chunk& c) {
    return out << "{type " << c.type << " code " << c.code << " seq " << c.sequence << " pos "
               << c.position << " count " << c.transfer_count << " len " << c.length << "}";
}

class TransmitEngineTest : public TransmitFixture {
protected:
    // A passive listener on the devices' side: every frame sent to device 0.
    void Tap() {
        tap_ = network_->Segment()->OpenEndpoint(SIM_STATION_DEVICES, 64 << 20);
        ASSERT_TRUE(tap_->SetFilter("ether dst " + Mac(0)));
    }

    std::vector<wire_chunk> Tapped() {
        std::vector<wire_chunk> chunks;
        uint8_t buffer[kMaxEthernetFrame];
        size_t length = 0;
        while (tap_->Receive(buffer, sizeof(buffer), &length, std::chrono::microseconds(0)) ==
               LinkReceive::Frame) {
            transmit_frame_stu frame = ParseFrame(buffer, length);
            chunks.push_back({ReadU16(frame.type), ReadU16(frame.code), ReadU16(frame.sequence),
                              ReadU16(frame.position), ReadU16(frame.transfer_count),
                              ReadU16(frame.data_length)});
        }
        return chunks;
    }

    std::unique_ptr<CSimEndpoint> tap_;
};

TEST_F(TransmitEngineTest, FilesAreCutIntoChunksOnTheWireAndArriveWhole) {
    const struct {
        size_t size;
        std::vector<wire_chunk> chunks;
    } cases[] = {
        {0, {{1, 2, 1, 2, 1, 0}}},
        {1024, {{1, 2, 1, 2, 1, 1024}}},
        {1025, {{1, 2, 1, 1, 1, 1024}, {1, 2, 2, 2, 1, 1}}},
        {3000, {{1, 2, 1, 1, 1, 1024}, {1, 2, 2, 0, 1, 1024}, {1, 2, 3, 2, 1, 952}}},
    };
    StartDevices(sim_device_options{});
    Tap();
    for (const auto& c : cases) {
        std::string content = Pattern(c.size);
        transmit_job_stu job = Job(0, JOB_PARA);
        ASSERT_TRUE(SetJobText(job.para_path, WriteFile("para.xml", content)));
        ASSERT_TRUE(Start(job));
        ASSERT_TRUE(WaitForWorkers());
        EXPECT_EQ(Tapped(), c.chunks) << c.size << " bytes";
        std::vector<sim_transfer_record> received = Received();
        ASSERT_FALSE(received.empty());
        EXPECT_EQ(std::string(received.back().content.begin(), received.back().content.end()),
                  content)
            << c.size << " bytes";
    }
    EXPECT_EQ(Counters().retransmissions.load(), 0u);
    EXPECT_EQ(Counters().transfers_succeeded.load(), 4u);
}

TEST_F(TransmitEngineTest, ASilentDeviceGetsExactlyFiveCopiesThenTransmitFail) {
    sim_device_options options;
    options.silent = true;
    StartDevices(options);
    transmit_job_stu job = Job(0, JOB_LOGO);
    ASSERT_TRUE(SetJobText(job.logo_path, WriteFile("logo.jpg", "tiny")));
    ASSERT_TRUE(Start(job));
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(Copies(0, FRAME_TYPE_LOGO, 1), 5u);
    EXPECT_EQ(Counters().retransmissions.load(), 4u);
    EXPECT_EQ(Row(0).logo_status, STATUS_TRANSMIT_FAIL);
}

TEST_F(TransmitEngineTest, StaleAcknowledgementsAreForeignFramesAndChangeNothing) {
    sim_device_options options;
    options.stale_acks = true;  // the previous chunk's number before every real ack
    StartDevices(options);
    transmit_job_stu job = Job(0, JOB_PARA);
    ASSERT_TRUE(SetJobText(job.para_path, WriteFile("para.xml", Pattern(3000))));
    ASSERT_TRUE(Start(job));
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(Counters().foreign_frames.load(), 3u);
    EXPECT_EQ(Counters().chunks_acknowledged.load(), 3u);
    EXPECT_EQ(Counters().retransmissions.load(), 0u);
    EXPECT_EQ(Received().back().content.size(), 3000u);
}

TEST_F(TransmitEngineTest, SequenceFFFFAcknowledgesFileChunksButNotTheCommandText) {
    sim_device_options options;
    options.count = 2;
    options.wildcard_acks = true;
    StartDevices(options);
    transmit_job_stu logo = Job(0, JOB_LOGO);
    ASSERT_TRUE(SetJobText(logo.logo_path, WriteFile("logo.jpg", Pattern(2500))));
    transmit_job_stu command = Job(1, JOB_ANTITHEFT);
    ASSERT_TRUE(SetJobText(command.command, "{\"Lockcode\":\"A\"}"));
    ASSERT_TRUE(Start(logo));
    ASSERT_TRUE(Start(command));
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(Counters().transfers_succeeded.load(), 1u);  // the logo
    EXPECT_EQ(Counters().transfers_failed.load(), 1u);     // the command
    EXPECT_EQ(Copies(0, FRAME_TYPE_LOGO, 3), 1u);
    EXPECT_EQ(Copies(1, FRAME_TYPE_ANTITHEFT, 1), 5u);
}

TEST_F(TransmitEngineTest, LogoAndConfigurationJobSendsTheConfigurationWhenTheLogoIsMissing) {
    StartDevices(sim_device_options{});
    Tap();
    std::string content = Pattern(1500);
    transmit_job_stu job = Job(0, JOB_LOGO_AND_PARA);
    ASSERT_TRUE(SetJobText(job.logo_path, folder_.Path() + "no-such-logo.jpg"));
    ASSERT_TRUE(SetJobText(job.para_path, WriteFile("para.xml", content)));
    ASSERT_TRUE(Start(job));
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(Row(0).logo_status, STATUS_TRANSMIT_FAIL);
    // Both transfers of a two-transfer job carry transfer count 2.
    std::vector<wire_chunk> expected = {{1, 2, 1, 1, 2, 1024}, {1, 2, 2, 2, 2, 476}};
    EXPECT_EQ(Tapped(), expected);
    ASSERT_TRUE(WaitFor([&] { return Row(0).para_status == STATUS_OPERATE_SUCCESS; }));
    std::vector<sim_transfer_record> received = Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].type, FRAME_TYPE_PARA);
    EXPECT_EQ(std::string(received[0].content.begin(), received[0].content.end()), content);
}

TEST_F(TransmitEngineTest, EveryChunkGetsItsOwnRetransmissionBudget) {
    sim_device_options options;
    options.ack_after_copies = 2;  // every chunk needs one retransmission, about 1 s
    StartDevices(options);
    // Six chunks take about 6 s: more than one budget of 5 s, so the transfer only
    // succeeds when the counters start again after each acknowledgement.
    transmit_job_stu job = Job(0, JOB_PARA);
    ASSERT_TRUE(SetJobText(job.para_path, WriteFile("para.xml", Pattern(6 * 1024))));
    ASSERT_TRUE(Start(job));
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(Counters().transfers_succeeded.load(), 1u);
    EXPECT_EQ(Counters().retransmissions.load(), 6u);
    EXPECT_EQ(Copies(0, FRAME_TYPE_PARA, 6), 2u);
}

TEST_F(TransmitEngineTest, AFileThatChangesLengthDuringItsTransferCannotKeepItGoing) {
    sim_device_options options;
    options.count = 2;
    options.ack_delay = std::chrono::milliseconds(300);
    StartDevices(options);
    std::string original = Pattern(5000);
    std::string growing = WriteFile("growing.xml", original);
    std::string shrinking = WriteFile("shrinking.xml", original);
    transmit_job_stu grow = Job(0, JOB_PARA);
    ASSERT_TRUE(SetJobText(grow.para_path, growing));
    transmit_job_stu shrink = Job(1, JOB_PARA);
    ASSERT_TRUE(SetJobText(shrink.para_path, shrinking));
    ASSERT_TRUE(Start(grow));
    ASSERT_TRUE(Start(shrink));
    // Both lengths were measured once the first chunks are out.
    ASSERT_TRUE(WaitFor(
        [&] { return Copies(0, FRAME_TYPE_PARA, 1) > 0 && Copies(1, FRAME_TYPE_PARA, 1) > 0; }));
    std::ofstream(growing, std::ios::binary | std::ios::app) << Pattern(4000);
    std::filesystem::resize_file(shrinking, 1500);
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(Row(1).para_status, STATUS_TRANSMIT_FAIL);
    std::vector<sim_transfer_record> received = Received();
    ASSERT_EQ(received.size(), 1u);  // only the grown file completed, at its first length
    EXPECT_EQ(received[0].device, MacBytes(0));
    EXPECT_EQ(std::string(received[0].content.begin(), received[0].content.end()), original);
}

TEST_F(TransmitEngineTest, StoppedWorkersWakeAtOnceAndLeaveTheirStatus) {
    sim_device_options options;
    options.count = 3;
    options.silent = true;
    StartDevices(options);
    std::string path = WriteFile("para.xml", Pattern(100));
    std::vector<std::string> macs = {Mac(0), Mac(1), Mac(2)};
    apply_start started = SendFiles(*manager_, *store_, macs, JOB_PARA, "", path);
    ASSERT_TRUE(started.ok);
    ASSERT_TRUE(WaitFor([&] { return Copies(2, FRAME_TYPE_PARA, 1) > 0; }));
    manager_->GetTransmitWorkers().StopAll();
    EXPECT_EQ(manager_->GetTransmitWorkers().Running(), 0u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Row(i).para_status, STATUS_OPERATING) << i;
        EXPECT_GE(Copies(i, FRAME_TYPE_PARA, 1), 1u) << i;  // more only on a slow machine
    }
}

// A link whose handles accept a filter but let every frame through, as a real
// handle does with the frames queued before its filter took effect.
class CUnfilteredProvider : public CLinkProvider {
public:
    explicit CUnfilteredProvider(std::shared_ptr<CLinkProvider> inner) : inner_(std::move(inner)) {}
    std::unique_ptr<CLinkHandle> Open(const std::string& device, const link_open_options& options,
                                      LinkOpenError* error_kind, std::string* error_text) override {
        std::unique_ptr<CLinkHandle> handle = inner_->Open(device, options, error_kind, error_text);
        return handle ? std::make_unique<CUnfilteredHandle>(std::move(handle)) : nullptr;
    }
    bool ListCaptureDevices(std::vector<std::string>* names, std::string* error_text) override {
        return inner_->ListCaptureDevices(names, error_text);
    }
    std::vector<local_adapter_node> ListAdapters() override { return inner_->ListAdapters(); }

private:
    class CUnfilteredHandle : public CLinkHandle {
    public:
        explicit CUnfilteredHandle(std::unique_ptr<CLinkHandle> inner) : inner_(std::move(inner)) {}
        bool SetFilter(const std::string&) override { return true; }
        bool Send(const uint8_t* frame, size_t length) override {
            return inner_->Send(frame, length);
        }
        LinkReceive Receive(uint8_t* buffer, size_t capacity, size_t* length,
                            std::chrono::microseconds timeout) override {
            return inner_->Receive(buffer, capacity, length, timeout);
        }
        void Interrupt() override { inner_->Interrupt(); }
        std::string LastError() const override { return inner_->LastError(); }

    private:
        std::unique_ptr<CLinkHandle> inner_;
    };
    std::shared_ptr<CLinkProvider> inner_;
};

TEST_F(TransmitEngineTest, OnlyTheAddressedDeviceCanAcknowledgeEvenWithoutAFilter) {
    sim_device_options options;
    options.count = 3;
    options.silent = true;
    StartDevices(options);
    manager_->SetLinkProvider(std::make_shared<CUnfilteredProvider>(network_->Provider()));
    transmit_job_stu file_job = Job(0, JOB_PARA);
    ASSERT_TRUE(SetJobText(file_job.para_path, WriteFile("para.xml", "tiny")));
    transmit_job_stu text_job = Job(1, JOB_ANTITHEFT);
    ASSERT_TRUE(SetJobText(text_job.command, "{}"));
    ASSERT_TRUE(Start(file_job));
    ASSERT_TRUE(Start(text_job));
    ASSERT_TRUE(WaitFor([&] {
        return Copies(0, FRAME_TYPE_PARA, 1) > 0 && Copies(1, FRAME_TYPE_ANTITHEFT, 1) > 0;
    }));

    // Device 2 answers what devices 0 and 1 were sent, in every form an
    // acknowledgement can take.
    std::unique_ptr<CSimEndpoint> forger =
        network_->Segment()->OpenEndpoint(SIM_STATION_DEVICES, 1 << 20);
    const struct {
        uint16_t type, sequence;
    } forged[] = {
        {FRAME_TYPE_PARA, 1}, {FRAME_TYPE_PARA, kSequenceWildcard}, {FRAME_TYPE_ANTITHEFT, 1}};
    for (const auto& f : forged) {
        transmit_frame_stu ack{};
        SetFrameHeader(&ack, kSimAdapterMac, MacBytes(2));
        WriteU16(ack.type, f.type);
        WriteU16(ack.code, CODE_ACK);
        WriteU16(ack.sequence, f.sequence);
        ASSERT_TRUE(forger->Send(reinterpret_cast<const uint8_t*>(&ack), kFrameSize));
    }
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_GE(Counters().foreign_frames.load(), 2u * std::size(forged));  // both workers saw them
    EXPECT_EQ(Counters().chunks_acknowledged.load(), 0u);
    EXPECT_EQ(Row(0).para_status, STATUS_TRANSMIT_FAIL);
    EXPECT_EQ(Row(1).antitheft_status, STATUS_TRANSMIT_FAIL);
}

TEST_F(TransmitEngineTest, TextsTooLongForTheJobAreRefusedNotCut) {
    StartDevices(sim_device_options{});
    transmit_job_stu job = Job(0, JOB_PARA);
    EXPECT_TRUE(SetJobText(job.para_path, std::string(259, 'p')));
    EXPECT_FALSE(SetJobText(job.para_path, std::string(260, 'p')));
    EXPECT_STREQ(job.para_path, "");
    EXPECT_FALSE(SetJobText(job.command, std::string("a\0b", 3)));

    ASSERT_TRUE(store_->SetParaStatus(Mac(0), STATUS_OPERATE_SUCCESS));
    apply_start refused =
        SendFiles(*manager_, *store_, {Mac(0)}, JOB_PARA, "", "/" + std::string(300, 'x'));
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, "The configuration file path is too long!");
    EXPECT_EQ(Row(0).para_status, STATUS_OPERATE_SUCCESS);  // nothing was touched
    EXPECT_EQ(manager_->GetTransmitWorkers().Running(), 0u);
}

TEST_F(TransmitEngineTest, TheEnginesStatusNeverHidesAReportThatCameFirst) {
    StartDevices(sim_device_options{});
    ASSERT_TRUE(store_->SetAntiTheftStatus(Mac(0), STATUS_LOCKCODE_MISMATCH));
    EXPECT_FALSE(store_->SetTransmitStatus(OPERATION_ANTITHEFT, Mac(0), STATUS_TRANSMIT_FINISH));
    EXPECT_EQ(Row(0).antitheft_status, STATUS_LOCKCODE_MISMATCH);
    ASSERT_TRUE(store_->SetLogoStatus(Mac(0), STATUS_OPERATING));
    EXPECT_TRUE(store_->SetTransmitStatus(OPERATION_LOGO, Mac(0), STATUS_TRANSMIT_FAIL));
    EXPECT_EQ(Row(0).logo_status, STATUS_TRANSMIT_FAIL);
}

}  // namespace
}  // namespace plindar
