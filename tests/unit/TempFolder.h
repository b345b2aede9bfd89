#pragma once
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

// A fresh folder per test, removed afterwards. The program speaks Windows paths,
// so winPath() gives the folder with backslashes; the file layer maps them back.
class TempFolder {
public:
    TempFolder() {
        std::random_device rd;
        path_ =
            std::filesystem::temp_directory_path() / ("kolibrix-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::wstring winPath(const std::string& relative = std::string()) const {
        std::string p = (relative.empty() ? path_ : path_ / relative).string();
        std::wstring w(p.begin(), p.end());
        for (wchar_t& c : w) {
            if (c == L'/') c = L'\\';
        }
        return w;
    }
    void write(const std::string& relative, const std::string& bytes) const {
        std::filesystem::path p = path_ / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path path_;
};
