// Adapter list, capture device choice and the adapter's display text.
#include <cstdio>

#include "protocol/ac_transmit_manage.h"
#include "protocol/fixed_text.h"
#include "protocol/mac_text.h"

namespace plindar {

void AcTransmitManage::GetAdapterList(std::vector<adapter_info_stu>* adapters) {
    std::lock_guard<std::mutex> lock(adapter_list_lock_);
    adapters->clear();
    std::shared_ptr<CLinkProvider> link = GetLinkProvider();
    if (!link) {
        return;
    }
    for (const local_adapter_node& node : link->ListAdapters()) {
        if (node.state == kAdapterStateUp) {
            adapters->push_back(node.info);
        }
    }
}

bool AcTransmitManage::SelectPcapDevice(const adapter_info_stu& adapter) {
    std::shared_ptr<CLinkProvider> link = GetLinkProvider();
    std::vector<std::string> devices;
    std::string error;
    if (!link || !link->ListCaptureDevices(&devices, &error)) {
        ReportMessage("pcap_findalldevs error");
        return false;
    }
    int found = FindCaptureDevice(devices, ReadFixedText(adapter.adapter_name));
    if (found < 0) {
        return false;
    }
    SetAdapterDeviceName(devices[static_cast<size_t>(found)]);
    return true;
}

int FindCaptureDevice(const std::vector<std::string>& devices, const std::string& adapter_name) {
    if (adapter_name.empty()) {
        return -1;
    }
    // Capture device names on this platform are the interface names themselves, so
    // "eth1" is also contained in "eth10": the exact name must win over the first
    // name that merely contains it.
    for (size_t i = 0; i < devices.size(); ++i) {
        if (devices[i] == adapter_name) {
            return static_cast<int>(i);
        }
    }
    for (size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].find(adapter_name) != std::string::npos) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string FormatAdapterText(const adapter_info_stu& adapter) {
    return ReadFixedText(adapter.description) + " (" +
           FormatMacTextLower(adapter.hardware_address) + ")";
}

}  // namespace plindar
