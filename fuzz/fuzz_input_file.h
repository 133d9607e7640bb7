// The file each fuzz input passes through, for readers that only take a path.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace plindar {

// One per target and process (the pid keeps parallel jobs apart); removed when
// the run ends.
class CFuzzInputFile {
public:
    CFuzzInputFile(const std::string& target, const std::string& suffix)
        : path_("/tmp/" + target + "-" + std::to_string(getpid()) + suffix) {}
    ~CFuzzInputFile() { std::remove(path_.c_str()); }
    CFuzzInputFile(const CFuzzInputFile&) = delete;
    CFuzzInputFile& operator=(const CFuzzInputFile&) = delete;

    const std::string& Path() const { return path_; }

    // Replaces the file's content with the input; false when it could not be written.
    bool Write(const uint8_t* data, size_t size) const {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file == nullptr) {
            return false;
        }
        bool written = std::fwrite(data, 1, size, file) == size;
        return std::fclose(file) == 0 && written;
    }

private:
    std::string path_;
};

}  // namespace plindar
