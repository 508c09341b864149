#include "memory_file_system.h"

#include <algorithm>

namespace kavelo::test {

namespace {

class memory_temp_file : public temp_file {
  public:
    memory_temp_file(const memory_file_system& fs, std::string path)
        : fs_(fs), path_(std::move(path)) {}
    bool write(std::span<const uint8_t> bytes) override {
        if (closed_) {
            return false;
        }
        std::vector<uint8_t>& data = fs_.files[path_];
        if (fs_.fault == write_fault::write) { // a write that stops half way
            data.insert(data.end(), bytes.begin(), bytes.begin() + bytes.size() / 2);
            return false;
        }
        const std::size_t room = std::min(bytes.size(), fs_.free_space);
        data.insert(data.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(room));
        fs_.free_space -= room;
        return room == bytes.size();
    }
    bool flush() override { return !closed_ && fs_.fault != write_fault::flush; }
    bool close() override {
        const bool was_open = !closed_;
        closed_ = true;
        return was_open && fs_.fault != write_fault::close;
    }
    const std::string& path() const override { return path_; }

  private:
    const memory_file_system& fs_;
    std::string path_;
    bool closed_ = false;
};

} // namespace

read_status memory_file_system::read_file(const std::string& path, std::size_t max_size,
                                          std::vector<uint8_t>& out) const {
    const auto found = files.find(path);
    if (found == files.end()) {
        return read_status::cannot_open;
    }
    if (found->second.size() > max_size) {
        out.clear();
        return read_status::too_large;
    }
    out = found->second;
    return read_status::ok;
}

read_status memory_file_system::read_head(const std::string& path, std::size_t count,
                                          std::vector<uint8_t>& out) const {
    const auto found = files.find(path);
    if (found == files.end()) {
        return read_status::cannot_open;
    }
    const std::size_t taken = std::min(count, found->second.size());
    out.assign(found->second.begin(), found->second.begin() + static_cast<std::ptrdiff_t>(taken));
    return read_status::ok;
}

std::unique_ptr<temp_file> memory_file_system::create_temp_beside(const std::string& target) const {
    if (fault == write_fault::create) {
        return nullptr;
    }
    std::string path = target + ".kavelo-" + std::to_string(++temp_serial_);
    files[path] = {};
    return std::make_unique<memory_temp_file>(*this, std::move(path));
}

bool memory_file_system::replace(const std::string& temp, const std::string& target) const {
    const auto found = files.find(temp);
    if (fault == write_fault::replace || found == files.end() || read_only.count(target) != 0) {
        return false;
    }
    std::vector<uint8_t> bytes = std::move(found->second);
    files.erase(found);
    files[target] = std::move(bytes);
    return true;
}

} // namespace kavelo::test
