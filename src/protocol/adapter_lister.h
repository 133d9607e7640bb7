// Lists the computer's Ethernet adapters from the kernel's interface directory,
// giving each the state, MAC, description and name the adapter page works with.
#pragma once

#include <string>
#include <vector>

#include "protocol/adapter_info.h"

namespace plindar {

// Every Ethernet interface except loopback that has a non-zero MAC, in interface
// index order. state is kAdapterStateUp when the interface is administratively up
// and 0 otherwise; the caller decides what to offer. adapter_name is the
// interface name, which is also the name libpcap opens it under.
std::vector<local_adapter_node> ListLocalAdapters();

// The same, read from a directory laid out like /sys/class/net.
std::vector<local_adapter_node> ListLocalAdaptersIn(const std::string& class_net_folder);

}  // namespace plindar
