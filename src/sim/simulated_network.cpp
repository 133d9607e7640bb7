// Simulated segment with its virtual adapter and devices.
#include "sim/simulated_network.h"

#include "protocol/fixed_text.h"

namespace plindar {

namespace {

// The devices' side must take a whole discovery burst of the largest batches.
constexpr size_t kDeviceSideBufferBytes = 16 * 1024 * 1024;

}  // namespace

std::unique_ptr<CLinkHandle> CSimLinkProvider::Open(const std::string& device,
                                                    const link_open_options& options,
                                                    LinkOpenError* error_kind,
                                                    std::string* error_text) {
    if (device != kSimAdapterName) {
        if (error_kind)
            *error_kind = LinkOpenError::NoSuchDevice;
        if (error_text)
            *error_text = "no simulated adapter named '" + device + "'";
        return nullptr;
    }
    if (error_kind)
        *error_kind = LinkOpenError::None;
    return segment_->OpenEndpoint(SIM_STATION_HOST, static_cast<size_t>(options.buffer_bytes));
}

bool CSimLinkProvider::ListCaptureDevices(std::vector<std::string>* names, std::string*) {
    names->assign({kSimAdapterName});
    return true;
}

std::vector<local_adapter_node> CSimLinkProvider::ListAdapters() {
    local_adapter_node node{};
    node.state = kAdapterStateUp;
    std::copy(kSimAdapterMac.begin(), kSimAdapterMac.end(), node.info.hardware_address);
    WriteFixedText(node.info.description, kSimAdapterDescription);
    WriteFixedText(node.info.adapter_name, kSimAdapterName);
    return {node};
}

CSimulatedNetwork::CSimulatedNetwork(const sim_device_options& options)
    : segment_(CSimSegment::Create()),
      provider_(std::make_shared<CSimLinkProvider>(segment_)),
      runner_(std::make_unique<CDeviceRunner>(
          segment_->OpenEndpoint(SIM_STATION_DEVICES, kDeviceSideBufferBytes), options)) {}

CSimulatedNetwork::~CSimulatedNetwork() {
    Stop();
}

bool CSimulatedNetwork::Start(std::string* error) {
    return runner_->Start(error);
}

void CSimulatedNetwork::Stop() {
    runner_->Stop();
}

}  // namespace plindar
