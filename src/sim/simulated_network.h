// A complete simulated segment for --simulate N: a virtual adapter on the
// operator's side and N virtual devices on the other, in this process.
#pragma once

#include <memory>
#include <string>

#include "protocol/link.h"
#include "sim/device_runner.h"
#include "sim/sim_segment.h"

namespace plindar {

constexpr const char* kSimAdapterName = "sim0";
constexpr const char* kSimAdapterDescription = "Simulated segment";
constexpr mac_address kSimAdapterMac = {0x02, 0x50, 0x4C, 0x44, 0x00, 0x01};

// The operator's side of a simulated segment, as the engine sees a real adapter.
class CSimLinkProvider : public CLinkProvider {
public:
    explicit CSimLinkProvider(std::shared_ptr<CSimSegment> segment)
        : segment_(std::move(segment)) {}

    std::unique_ptr<CLinkHandle> Open(const std::string& device, const link_open_options& options,
                                      LinkOpenError* error_kind, std::string* error_text) override;
    bool ListCaptureDevices(std::vector<std::string>* names, std::string* error_text) override;
    std::vector<local_adapter_node> ListAdapters() override;

private:
    std::shared_ptr<CSimSegment> segment_;
};

class CSimulatedNetwork {
public:
    explicit CSimulatedNetwork(const sim_device_options& options);
    ~CSimulatedNetwork();

    // Starts the devices; false with a reason when they cannot run.
    bool Start(std::string* error);
    void Stop();

    std::shared_ptr<CLinkProvider> Provider() const { return provider_; }
    std::shared_ptr<CSimSegment> Segment() const { return segment_; }
    CDeviceRunner& Devices() { return *runner_; }

private:
    std::shared_ptr<CSimSegment> segment_;
    std::shared_ptr<CSimLinkProvider> provider_;
    std::unique_ptr<CDeviceRunner> runner_;
};

}  // namespace plindar
