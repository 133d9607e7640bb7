// Program folder lookup.
#include "records/program_folder.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace plindar {

namespace {

std::string ComputeProgramFolder() {
    if (const char* home = std::getenv("PLINDAR_HOME"); home != nullptr && *home != '\0') {
        std::string folder = home;
        if (folder.back() != '/') {
            folder += '/';
        }
        return folder;
    }
    return GetExecutableFolder();
}

}  // namespace

std::string GetExecutableFolder() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
        return "./";
    }
    std::string full(path, static_cast<size_t>(length));
    size_t slash = full.rfind('/');
    return slash == std::string::npos ? std::string("./") : full.substr(0, slash + 1);
}

const std::string& GetProgramFolder() {
    static const std::string folder = ComputeProgramFolder();
    return folder;
}

}  // namespace plindar
