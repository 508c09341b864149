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

} // namespace kavelo::test
