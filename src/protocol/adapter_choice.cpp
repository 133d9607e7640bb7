// Choosing and proving the adapter in use.
#include "protocol/adapter_choice.h"

#include <algorithm>
#include <vector>

#include "protocol/ac_transmit_manage.h"
#include "protocol/fixed_text.h"

namespace plindar {

bool UseAdapter(AcTransmitManage& manager, const adapter_info_stu& adapter) {
    mac_address mac;
    std::copy_n(adapter.hardware_address, kMacLength, mac.begin());
    manager.SetAdapterMac(mac);
    return manager.SelectPcapDevice(adapter);
}

adapter_choice_stu ChooseAdapter(AcTransmitManage& manager, const std::string& name) {
    adapter_choice_stu choice;
    std::vector<adapter_info_stu> adapters;
    manager.GetAdapterList(&adapters);
    auto chosen = std::find_if(adapters.begin(), adapters.end(), [&](const adapter_info_stu& a) {
        return ReadFixedText(a.adapter_name) == name;
    });
    if (chosen == adapters.end()) {
        choice.result = AdapterChoiceResult::UnknownAdapter;
        return choice;
    }
    choice.adapter = *chosen;
    choice.adapter_text = FormatAdapterText(*chosen);
    if (!UseAdapter(manager, *chosen)) {
        choice.result = AdapterChoiceResult::NoCaptureDevice;
        return choice;
    }
    choice.device_name = manager.GetAdapterDeviceName();
    LinkOpenError error = LinkOpenError::None;
    if (manager.GetLinkProvider()->Open(choice.device_name, link_open_options{}, &error,
                                        &choice.error_text) == nullptr) {
        choice.result = error == LinkOpenError::PermissionDenied
                            ? AdapterChoiceResult::PermissionDenied
                            : AdapterChoiceResult::OpenFailed;
        return choice;
    }
    choice.result = AdapterChoiceResult::Ok;
    return choice;
}

}  // namespace plindar
