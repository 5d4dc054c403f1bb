// A fresh temporary folder that acts as the program folder of one test.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Globals.h"
#include "platform/Paths.h"

namespace kxtest {

class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kvadrix-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder with its trailing '/', as the layout holds its folders.
    std::string dir() const { return path_.string() + "/"; }
    std::string file(const std::string& name) const { return dir() + name; }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Copies a file of data/ into the folder.
    void copyData(const std::string& name) const {
        std::filesystem::copy_file(std::string(KX_DATA_DIR) + "/" + name, file(name),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    // Makes this folder the program folder.
    void makeProgramFolder() const { kx::UsePortableFolder(dir()); }

private:
    std::filesystem::path path_;
};

}  // namespace kxtest
