// Every rewrite of a user's file (a voice commit, a header commit, a bank export) fails
// at each step in turn, on a full disk and on a read-only file: the original stays byte
// for byte, no temporary file is left, and the caller gets its usual failure and messages.

#include "formats/ymx_bank.h"
#include "memory_file_system.h"
#include "rom/cartridge_checksum.h"
#include "demo/demo_rom.h"
#include "rom/track_header.h"
#include "rom/track_table.h"
#include "rom/voice_commit.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kavelo {
namespace {

// What a rewrite reported: its result code (bank export: 1 done, -1 failed), the log
// lines and the problem text.
struct outcome {
    int32_t code = 0;
    std::vector<std::string> log;
    std::string problem;
};

struct rewrite {
    std::string name;
    std::vector<uint8_t> original;
    std::function<outcome(const file_system& fs, const std::string& path)> run;
    std::vector<std::string> failure_log;
    std::string failure_problem; // "{path}" stands for the file's path
};

std::string with_path(std::string text, const std::string& path) {
    const std::size_t at = text.find("{path}");
    return at == std::string::npos ? text : text.replace(at, 6, path);
}

outcome commit_voice_2_1(const file_system& fs, const std::string& path) {
    test::log_lines log;
    const rom_access access{fs, path, file_mode::rom_image, log.sink()};
    voice_table table;
    const uint32_t start = track_table[2].start;
    if (load_track_voices(access, start, table).code != result_done) {
        return {99, {}, "load failed"};
    }
    const op_result result = commit_voice(access, start, table, 1, test::counting_record(0x40));
    return {result.code, log.lines, result.problem};
}

outcome commit_header_5(const file_system& fs, const std::string& path) {
    test::log_lines log;
    const rom_access access{fs, path, file_mode::rom_image, log.sink()};
    track_header header{};
    header.bytes.fill(0x5C);
    const op_result result = commit_track_header(access, track_table[5].start, header);
    return {result.code, log.lines, result.problem};
}

outcome fix_checksum_of(const file_system& fs, const std::string& path) {
    test::log_lines log;
    const op_result result = fix_checksum({fs, path, file_mode::rom_image, log.sink()});
    return {result.code, log.lines, result.problem};
}

std::vector<bank_voice> bank_voices(int32_t count) {
    std::vector<bank_voice> voices;
    for (int32_t i = 0; i < count; ++i) {
        voices.push_back({test::counting_record(static_cast<uint8_t>(i)), "V" + std::to_string(i)});
    }
    return voices;
}

outcome export_bank(const file_system& fs, const std::string& path) {
    std::string problem;
    const bool done = bank_export(fs, path, bank_voices(100), problem);
    return {done ? result_done : result_write_failed, {}, problem};
}

std::vector<rewrite> rewrites() {
    std::vector<uint8_t> old_bank;
    std::string problem;
    bank_write(bank_voices(120), old_bank, problem);
    const std::vector<std::string> rom_log{"  * Writing changes to ROM"};
    std::vector<uint8_t> stale_checksum = make_demo_rom();
    stale_checksum[0x18E] ^= 0xFF;
    return {
        {"commit_voice", make_demo_rom(), commit_voice_2_1, rom_log, ""},
        {"commit_track_header", make_demo_rom(), commit_header_5, rom_log, ""},
        {"bank_export", old_bank, export_bank, {}, "Cannot write {path}."},
        {"fix_checksum", stale_checksum, fix_checksum_of, rom_log, ""},
    };
}

std::size_t files_in(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

void expect_failed_as_usual(const rewrite& r, const outcome& got, const std::string& path) {
    EXPECT_EQ(got.code, result_write_failed) << r.name;
    EXPECT_EQ(got.log, r.failure_log) << r.name;
    EXPECT_EQ(got.problem, with_path(r.failure_problem, path)) << r.name;
}

TEST(WriteFaults, EachFailedStepOnDiskLeavesTheOriginalIntact) {
    for (const rewrite& r : rewrites()) {
        for (test::write_fault fault : {test::write_fault::create, test::write_fault::write,
                                        test::write_fault::flush, test::write_fault::replace}) {
            const int step = static_cast<int>(fault);
            test::scratch_dir dir;
            const std::string path = dir.file("target");
            test::write_bytes(path, r.original);
            test::failing_file_system fs;
            fs.fault = fault;
            expect_failed_as_usual(r, r.run(fs, path), path);
            EXPECT_EQ(test::read_bytes(path), r.original) << r.name << " step " << step;
            EXPECT_EQ(files_in(dir.path()), 1u) << r.name << " step " << step;
        }
        // The same rewrite without a fault goes through, so the faults above made the difference.
        test::scratch_dir dir;
        const std::string path = dir.file("target");
        test::write_bytes(path, r.original);
        EXPECT_EQ(r.run(test::failing_file_system{}, path).code, result_done) << r.name;
        EXPECT_NE(test::read_bytes(path), r.original) << r.name;
    }
}

TEST(WriteFaults, EachFailedStepInMemoryLeavesTheOriginalIntact) {
    using test::write_fault;
    for (const rewrite& r : rewrites()) {
        for (write_fault fault : {write_fault::create, write_fault::write, write_fault::flush,
                                  write_fault::close, write_fault::replace}) {
            test::memory_file_system fs;
            fs.files["/music/target"] = r.original;
            fs.fault = fault;
            expect_failed_as_usual(r, r.run(fs, "/music/target"), "/music/target");
            EXPECT_EQ(fs.files.size(), 1u) << r.name;
            EXPECT_EQ(fs.files["/music/target"], r.original) << r.name;
        }
    }
}

TEST(WriteFaults, AFullDiskInMemoryLeavesTheOriginalIntact) {
    for (const rewrite& r : rewrites()) {
        test::memory_file_system fs;
        fs.files["/music/target"] = r.original;
        fs.free_space = r.original.size() / 2;
        expect_failed_as_usual(r, r.run(fs, "/music/target"), "/music/target");
        EXPECT_EQ(fs.files.size(), 1u) << r.name;
        EXPECT_EQ(fs.files["/music/target"], r.original) << r.name;

        fs.free_space = r.original.size(); // exactly enough room
        EXPECT_EQ(r.run(fs, "/music/target").code, result_done) << r.name;
        EXPECT_EQ(fs.files.size(), 1u) << r.name;
    }
}

// Runs the rewrite in a child whose file size limit is `limit` bytes, as on a disk that
// fills up; SIGXFSZ is ignored, so a write past the limit fails with EFBIG. The child
// exits 0 when the rewrite gave `expected` and the usual messages.
void rewrite_with_size_limit(const rewrite& r, const std::string& path, rlim_t limit,
                             int32_t expected) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size_limit{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &size_limit) != 0) {
            ::_exit(3);
        }
        const outcome got = r.run(native_file_system(), path);
        const bool usual =
            expected == result_done ||
            (got.log == r.failure_log && got.problem == with_path(r.failure_problem, path));
        ::_exit(got.code == expected && usual ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << r.name;
    EXPECT_EQ(WEXITSTATUS(status), 0) << r.name << " with a limit of " << limit << " bytes";
}

TEST(WriteFaults, AFileSizeLimitFailsTheWriteAndLeavesTheOriginalIntact) {
    for (const rewrite& r : rewrites()) {
        test::scratch_dir dir;
        const std::string path = dir.file("target");
        test::write_bytes(path, r.original);
        rewrite_with_size_limit(r, path, r.original.size() / 2, result_write_failed);
        EXPECT_EQ(test::read_bytes(path), r.original) << r.name;
        EXPECT_EQ(files_in(dir.path()), 1u) << r.name;

        // With room for the whole file the same child succeeds.
        rewrite_with_size_limit(r, path, r.original.size() + 4096, result_done);
        EXPECT_NE(test::read_bytes(path), r.original) << r.name;
        EXPECT_EQ(files_in(dir.path()), 1u) << r.name;
    }
}

// A small tmpfs that has room for the original but not for a second copy; needs the
// right to mount (root in a container that allows it), skipped otherwise.
TEST(WriteFaults, AFullTmpfsLeavesTheOriginalIntact) {
    test::scratch_dir dir;
    const std::string mount_point = dir.file("small");
    std::filesystem::create_directory(mount_point);
    const std::vector<rewrite> all = rewrites();
    if (::geteuid() != 0 || ::mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=768k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    struct unmount {
        std::string path;
        ~unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } guard{mount_point};
    for (const rewrite& r : all) {
        // Fill the disk so that the original fits but a second copy does not.
        const std::string path = mount_point + "/target";
        test::write_bytes(path, r.original);
        std::error_code error;
        const auto space = std::filesystem::space(mount_point, error);
        ASSERT_FALSE(error);
        if (space.available > r.original.size() / 2) {
            test::write_bytes(mount_point + "/filler",
                              std::vector<uint8_t>(space.available - r.original.size() / 2));
        }
        expect_failed_as_usual(r, r.run(native_file_system(), path), path);
        EXPECT_EQ(test::read_bytes(path), r.original) << r.name;
        std::filesystem::remove(mount_point + "/filler");
        EXPECT_EQ(files_in(mount_point), 1u) << r.name;
        std::filesystem::remove(path);
    }
}

TEST(WriteFaults, AReadOnlyFileIsNotRewritten) {
    for (const rewrite& r : rewrites()) {
        test::scratch_dir dir;
        const std::string path = dir.file("target");
        test::write_bytes(path, r.original);
        ::chmod(path.c_str(), 0444);
        expect_failed_as_usual(r, r.run(native_file_system(), path), path);
        ::chmod(path.c_str(), 0644);
        EXPECT_EQ(test::read_bytes(path), r.original) << r.name;
        EXPECT_EQ(files_in(dir.path()), 1u) << r.name;
    }
}

} // namespace
} // namespace kavelo
