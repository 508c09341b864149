// The writing half of the file seam on Windows.

#include "rom/stdio_file_system.h"

#include <windows.h>

namespace kavelo {

namespace {

class windows_temp_file : public temp_file {
  public:
    windows_temp_file(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    ~windows_temp_file() override {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    bool write(std::span<const uint8_t> bytes) override {
        while (!bytes.empty()) {
            DWORD chunk =
                bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
            DWORD written = 0;
            if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr) || written == 0) {
                return false;
            }
            bytes = bytes.subspan(written);
        }
        return true;
    }
    bool flush() override { return FlushFileBuffers(handle_) != 0; }
    bool close() override {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != 0;
    }
    const std::string& path() const override { return path_; }

  private:
    HANDLE handle_;
    std::string path_;
};

std::string folder_of(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

class windows_file_system : public stdio_file_system {
  public:
    bool is_read_only(const std::string& path) const override {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    }
    std::unique_ptr<temp_file> create_temp_beside(const std::string& target) const override {
        char name[MAX_PATH + 1] = {};
        if (GetTempFileNameA(folder_of(target).c_str(), "kav", 0, name) == 0) {
            return nullptr;
        }
        HANDLE handle = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            DeleteFileA(name);
            return nullptr;
        }
        return std::make_unique<windows_temp_file>(handle, name);
    }
    bool replace(const std::string& temp, const std::string& target) const override {
        return MoveFileExA(temp.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    void remove(const std::string& path) const override { DeleteFileA(path.c_str()); }
};

} // namespace

const file_system& native_file_system() {
    static const windows_file_system instance;
    return instance;
}

} // namespace kavelo
