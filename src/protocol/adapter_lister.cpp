// Adapter listing from sysfs. Every attribute is read as untrusted text: bounded
// reads, strict number parsing, and names checked before they become paths.
#include "protocol/adapter_lister.h"

#include <fcntl.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

#include "protocol/fixed_text.h"
#include "protocol/mac_text.h"

namespace plindar {

namespace {

namespace fs = std::filesystem;

constexpr const char* kClassNetFolder = "/sys/class/net";
// Longer than any genuine value of the attributes read here.
constexpr size_t kMaxAttributeBytes = 256;
constexpr size_t kMaxInterfaceName = IFNAMSIZ - 1;
constexpr size_t kMaxDriverName = 64;
// Decimal and hexadecimal digits that still fit the integers parsed into.
constexpr size_t kMaxDecimalDigits = 9;
constexpr size_t kMaxHexDigits = 8;
constexpr std::string_view kVirtualDevicesPart = "/devices/virtual/";

// The attribute's text without trailing white space; nothing when it is missing,
// not a plain file, or larger than any real value.
std::optional<std::string> ReadAttribute(const fs::path& file) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    char bytes[kMaxAttributeBytes + 1];
    size_t total = 0;
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    while (ok && total < sizeof(bytes)) {
        const ssize_t got = read(fd, bytes + total, sizeof(bytes) - total);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        total += static_cast<size_t>(got);
    }
    close(fd);
    if (!ok || total > kMaxAttributeBytes) {
        return std::nullopt;
    }
    std::string text(bytes, total);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t')) {
        text.pop_back();
    }
    return text;
}

std::optional<unsigned long> ParseDecimal(const std::string& text) {
    if (text.empty() || text.size() > kMaxDecimalDigits) {
        return std::nullopt;
    }
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    return value;
}

// sysfs writes interface flags as "0x1003".
std::optional<unsigned long> ParseHex(const std::string& text) {
    if (text.size() < 3 || text.size() > 2 + kMaxHexDigits || text[0] != '0' ||
        (text[1] != 'x' && text[1] != 'X')) {
        return std::nullopt;
    }
    unsigned long value = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * 16 + static_cast<unsigned long>(digit);
    }
    return value;
}

std::optional<unsigned long> ReadNumber(const fs::path& file, bool hex) {
    const std::optional<std::string> text = ReadAttribute(file);
    if (!text) {
        return std::nullopt;
    }
    return hex ? ParseHex(*text) : ParseDecimal(*text);
}

// The kernel's own rule for interface names, plus the length it allows.
bool IsInterfaceName(const std::string& name) {
    if (name.empty() || name.size() > kMaxInterfaceName || name == "." || name == "..") {
        return false;
    }
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == ':' || byte <= ' ' || byte == 0x7F) {
            return false;
        }
    }
    return true;
}

bool IsDriverName(const std::string& name) {
    if (name.empty() || name.size() > kMaxDriverName) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-' || c == '.' || c == '+';
    });
}

// "eth0 [virtio_net]" for a bound device, "br0 [virtual]" for a software one.
std::string DescribeInterface(const fs::path& interface_folder, const std::string& name) {
    std::error_code error;
    const fs::path driver = fs::read_symlink(interface_folder / "device" / "driver", error);
    if (!error) {
        const std::string driver_name = driver.filename().string();
        if (IsDriverName(driver_name)) {
            return name + " [" + driver_name + "]";
        }
    }
    const fs::path location = fs::canonical(interface_folder, error);
    if (!error && location.string().find(kVirtualDevicesPart) != std::string::npos) {
        return name + " [virtual]";
    }
    return name;
}

std::optional<local_adapter_node> ReadAdapter(const fs::path& interface_folder,
                                              const std::string& name) {
    const std::optional<unsigned long> type = ReadNumber(interface_folder / "type", false);
    const std::optional<unsigned long> flags = ReadNumber(interface_folder / "flags", true);
    if (!type || *type != ARPHRD_ETHER || !flags || (*flags & IFF_LOOPBACK) != 0) {
        return std::nullopt;
    }
    const std::optional<std::string> address = ReadAttribute(interface_folder / "address");
    mac_address mac{};
    if (!address || !ParseMacText(*address, &mac) ||
        std::all_of(mac.begin(), mac.end(), [](uint8_t byte) { return byte == 0; })) {
        return std::nullopt;
    }
    local_adapter_node node{};
    node.state = (*flags & IFF_UP) != 0 ? kAdapterStateUp : 0;
    std::memcpy(node.info.hardware_address, mac.data(), mac.size());
    WriteFixedText(node.info.description, DescribeInterface(interface_folder, name));
    WriteFixedText(node.info.adapter_name, name);
    return node;
}

}  // namespace

std::vector<local_adapter_node> ListLocalAdaptersIn(const std::string& class_net_folder) {
    std::vector<std::pair<unsigned long, local_adapter_node>> found;
    // Interface indexes are unique on a real system; the name only settles ties in
    // a copied or damaged tree so the order never depends on directory order.
    std::error_code error;
    fs::directory_iterator entry(class_net_folder, error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!IsInterfaceName(name)) {
            continue;
        }
        const fs::path folder = entry->path();
        const std::optional<unsigned long> index = ReadNumber(folder / "ifindex", false);
        if (!index) {
            continue;
        }
        if (std::optional<local_adapter_node> node = ReadAdapter(folder, name)) {
            found.emplace_back(*index, *node);
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first) {
            return a.first < b.first;
        }
        return std::strcmp(a.second.info.adapter_name, b.second.info.adapter_name) < 0;
    });
    std::vector<local_adapter_node> adapters;
    adapters.reserve(found.size());
    for (const auto& item : found) {
        adapters.push_back(item.second);
    }
    return adapters;
}

std::vector<local_adapter_node> ListLocalAdapters() {
    return ListLocalAdaptersIn(kClassNetFolder);
}

}  // namespace plindar
