#include "test_support.h"

#include <fstream>
#include <iterator>
#include <numeric>
#include <random>
#include <stdexcept>

namespace kavelo::test {

scratch_dir::scratch_dir() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("kavelo-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

scratch_dir::~scratch_dir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

voice_record counting_record(uint8_t first) {
    voice_record record;
    std::iota(record.begin(), record.end(), first);
    return record;
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

namespace {

class failing_temp_file : public temp_file {
  public:
    failing_temp_file(std::unique_ptr<temp_file> inner, const failing_file_system& owner)
        : inner_(std::move(inner)), owner_(owner) {}
    bool write(std::span<const uint8_t> bytes) override {
        if (owner_.fault == write_fault::write) {
            // A write that stops half way, as on a full disk.
            inner_->write(bytes.first(bytes.size() / 2));
            return false;
        }
        return inner_->write(bytes);
    }
    bool flush() override { return owner_.fault != write_fault::flush && inner_->flush(); }
    bool close() override { return inner_->close() && owner_.fault != write_fault::close; }
    const std::string& path() const override { return inner_->path(); }

  private:
    std::unique_ptr<temp_file> inner_;
    const failing_file_system& owner_;
};

} // namespace

read_status failing_file_system::read_file(const std::string& path, std::size_t max_size,
                                           std::vector<uint8_t>& out) const {
    return native_file_system().read_file(path, max_size, out);
}

read_status failing_file_system::read_head(const std::string& path, std::size_t count,
                                           std::vector<uint8_t>& out) const {
    return native_file_system().read_head(path, count, out);
}

bool failing_file_system::is_read_only(const std::string& path) const {
    return native_file_system().is_read_only(path);
}

std::unique_ptr<temp_file>
failing_file_system::create_temp_beside(const std::string& target) const {
    if (fault == write_fault::create) {
        return nullptr;
    }
    auto inner = native_file_system().create_temp_beside(target);
    if (!inner) {
        return nullptr;
    }
    return std::make_unique<failing_temp_file>(std::move(inner), *this);
}

bool failing_file_system::replace(const std::string& temp, const std::string& target) const {
    return fault != write_fault::replace && native_file_system().replace(temp, target);
}

void failing_file_system::remove(const std::string& path) const {
    native_file_system().remove(path);
}

} // namespace kavelo::test
