// The writing half of the file seam on POSIX systems.

#include "rom/stdio_file_system.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavelo {

namespace {

class posix_temp_file : public temp_file {
  public:
    posix_temp_file(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~posix_temp_file() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool write(std::span<const uint8_t> bytes) override {
        while (!bytes.empty()) {
            ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written <= 0) {
                return false;
            }
            bytes = bytes.subspan(static_cast<std::size_t>(written));
        }
        return true;
    }
    bool flush() override { return ::fsync(fd_) == 0; }
    bool close() override {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    const std::string& path() const override { return path_; }

  private:
    int fd_;
    std::string path_;
};

mode_t new_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

class posix_file_system : public stdio_file_system {
  public:
    bool is_read_only(const std::string& path) const override {
        struct stat info {};
        // Checked on the mode bits, since a privileged user may write anyway.
        return ::stat(path.c_str(), &info) == 0 &&
               (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    }
    std::unique_ptr<temp_file> create_temp_beside(const std::string& target) const override {
        std::string pattern = target + ".kavelo-XXXXXX";
        int fd = ::mkstemp(pattern.data());
        if (fd < 0) {
            return nullptr;
        }
        // A replaced file keeps its permissions; a new one gets the usual ones, not the
        // private mode of a temporary file.
        struct stat info {};
        ::fchmod(fd, ::stat(target.c_str(), &info) == 0 ? info.st_mode & 07777 : new_file_mode());
        return std::make_unique<posix_temp_file>(fd, pattern);
    }
    bool replace(const std::string& temp, const std::string& target) const override {
        return std::rename(temp.c_str(), target.c_str()) == 0;
    }
    void remove(const std::string& path) const override { ::unlink(path.c_str()); }
};

} // namespace

const file_system& native_file_system() {
    static const posix_file_system instance;
    return instance;
}

} // namespace kavelo
