// Fuzz target: received frames, as the listener, the workers and the virtual
// devices read them.
#include <cstddef>
#include <cstdint>

#include "protocol/fixed_text.h"
#include "protocol/frame_format.h"
#include "protocol/transmit_engine.h"
#include "sim/device_model.h"

using namespace plindar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    transmit_frame_stu frame = ParseFrame(data, size);
    volatile size_t sink = ReadFixedText(frame.ssid2).size() + ReadFixedText(frame.ssid5).size() +
                           ReadFixedText(frame.wpakey2).size() +
                           ReadFixedText(frame.wpakey5).size() + FormatMacText(frame.source).size();
    sink = sink + IsFileAck(frame, FRAME_TYPE_PARA, 1) + IsTextAck(frame);

    // The same bytes addressed to a virtual device: reassembly must cope with any
    // sequence, position and length a sender might write.
    if (size >= 6) {
        sim_device_options options;
        options.count = 2;
        CDeviceModel model(options);
        uint8_t addressed[kMaxEthernetFrame] = {0x02, 0x5A, 0x00, 0x00, 0x00, 0x01};
        size_t length = size < sizeof(addressed) ? size : sizeof(addressed);
        for (size_t i = 6; i < length; ++i) {
            addressed[i] = data[i];
        }
        auto now = CDeviceModel::clock::now();
        model.OnFrame(addressed, length, now);
        std::vector<uint8_t> out;
        while (model.PopDue(now, &out)) {
        }
    }
    return 0;
}
