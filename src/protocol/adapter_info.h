// Network adapter records: what the adapter lister reports and what the system keeps.
#pragma once

#include <cstdint>

namespace plindar {

constexpr uint8_t kAdapterStateUp = 1;

// One listed adapter. Only the first 6 bytes of the hardware address (the MAC),
// the description and the adapter name are used; the name is contained in the
// capture device name under which the adapter is opened.
struct adapter_info_stu {
    uint8_t hardware_address[8];
    char description[132];
    char adapter_name[260];
};

// An adapter as the lister reports it; only state 1 is offered to the operator.
struct local_adapter_node {
    uint8_t state;
    adapter_info_stu info;
};

}  // namespace plindar
