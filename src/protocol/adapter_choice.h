// Choosing the adapter that faces the devices: by name among the adapters that are
// up, mapped to its capture device, and proven to open, so a scan never runs blind.
#pragma once

#include <string>

#include "protocol/adapter_info.h"

namespace plindar {

class AcTransmitManage;

enum class AdapterChoiceResult {
    Ok,
    UnknownAdapter,    // no adapter of that name is up
    NoCaptureDevice,   // libpcap lists no device for it
    PermissionDenied,  // the capture device exists but may not be opened
    OpenFailed,        // any other reason the capture device did not open
};

struct adapter_choice_stu {
    AdapterChoiceResult result = AdapterChoiceResult::UnknownAdapter;
    adapter_info_stu adapter{};
    std::string adapter_text;  // "description (mac)"
    std::string device_name;   // the capture device
    std::string error_text;    // the link's reason for OpenFailed
};

// Makes `adapter` the manager's adapter in use: its MAC and its capture device.
// False when libpcap lists no capture device for it.
bool UseAdapter(AcTransmitManage& manager, const adapter_info_stu& adapter);

// Makes the adapter named `name` the manager's adapter in use (its MAC and capture
// device) and opens its capture device once to prove it can be opened.
adapter_choice_stu ChooseAdapter(AcTransmitManage& manager, const std::string& name);

}  // namespace plindar
