// Temporary test folders.
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace plindar::test {

TempFolder::TempFolder() {
    char pattern[] = "/tmp/plindar-test-XXXXXX";
    char* made = mkdtemp(pattern);
    if (made == nullptr) {
        ADD_FAILURE() << "cannot create a temporary folder";
        path_ = "/tmp/";
        return;
    }
    path_ = std::string(made) + "/";
}

TempFolder::~TempFolder() {
    if (path_ != "/tmp/") {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace plindar::test
