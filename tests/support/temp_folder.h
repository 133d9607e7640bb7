// A fresh folder under /tmp for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace plindar::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder with a trailing slash, ready to have a file name appended.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

bool FileExists(const std::string& path);
std::string ReadWholeFile(const std::string& path);

}  // namespace plindar::test
