// A bank export, a voice file write and the checksum fix fail at each step in turn, on a full
// disk and on a read-only file: the original stays byte for byte, no temporary file is left,
// and the caller gets its usual failure and messages. On disk, a replaced file keeps its
// permissions.

#include "demo/demo_rom.h"
#include "formats/voice_formats.h"
#include "formats/ymx_bank.h"
#include "memory_file_system.h"
#include "rom/cartridge_checksum.h"
#include "rom/file_image.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace kavelo {
namespace {

using run_fn = std::function<op_result(const rom_access& access)>;

struct rewrite {
    std::string name;
    std::vector<uint8_t> original;
    run_fn run;
    std::vector<std::string> failure_log;
    std::string failure_problem; // "{path}" stands for the file's path
};

std::vector<rewrite> rewrites() {
    const std::vector<uint8_t> old_bank(5000, 0xAA); // more than half the new bank's size
    std::vector<uint8_t> stale_checksum = make_demo_rom();
    stale_checksum[0x18E] ^= 0xFF;
    const run_fn export_bank = [](const rom_access& a) {
        return bank_export(a.fs, a.path,
                           std::vector<bank_voice>(100, {test::counting_record(1), "V"}));
    };
    const run_fn export_voice_file = [](const rom_access& a) -> op_result {
        const std::vector<named_voice> voices(100, {test::counting_record(1), "V"});
        return write_voice_file(a.fs, a.path, voices, voice_format_by_extension("bank.ymx"));
    };
    return {
        {"bank_export", old_bank, export_bank, {}, "Cannot write {path}."},
        {"write_voice_file",
         old_bank,
         export_voice_file,
         {},
         "Cannot write {path}; it is unchanged."},
        {"fix_checksum",
         stale_checksum,
         [](const rom_access& a) { return fix_checksum(a); },
         {"  * Writing changes to ROM"},
         ""},
    };
}

// Runs the rewrite once, expecting it to fail as usual when `fails`, else to be done.
void run_expecting(const rewrite& r, const file_system& fs, const std::string& path, bool fails) {
    test::log_lines log;
    const op_result got = r.run({fs, path, file_mode::rom_image, log.sink()});
    if (!fails) {
        EXPECT_EQ(got.code, result_done) << got.problem;
        return;
    }
    std::string problem = r.failure_problem;
    if (const std::size_t at = problem.find("{path}"); at != std::string::npos) {
        problem.replace(at, 6, path);
    }
    EXPECT_EQ(got.code, result_write_failed);
    EXPECT_EQ(log.lines, r.failure_log);
    EXPECT_EQ(got.problem, problem);
}

TEST(WriteFaults, EachFailedStepAFullDiskOrAReadOnlyFileLeavesTheOriginalIntact) {
    const std::string path = "/music/target";
    for (const rewrite& r : rewrites()) {
        for (int step = 1; step <= 7; ++step) {
            SCOPED_TRACE(r.name + " step " + std::to_string(step));
            test::memory_file_system fs;
            fs.files[path] = r.original;
            if (step < 6) {
                fs.fault = static_cast<test::write_fault>(step);
            } else if (step == 6) {
                fs.free_space = r.original.size() / 2; // the disk runs full part way
            } else {
                fs.read_only.insert(path);
            }
            run_expecting(r, fs, path, true);
            EXPECT_EQ(fs.files.size(), 1u);
            EXPECT_EQ(fs.files[path], r.original);
            fs.fault = test::write_fault::none;
            fs.read_only.clear();
            fs.free_space = r.original.size(); // enough room
            run_expecting(r, fs, path, false);
            EXPECT_EQ(fs.files.size(), 1u);
        }
    }
}

TEST(WriteFaults, AReplacedFileOnDiskKeepsItsPermissionsAndANewOneGetsTheUsual) {
    test::scratch_dir dir;
    const std::string replaced = dir.file("game.bin");
    const std::string created = dir.file("new.ymx");
    test::write_bytes(replaced, {0, 0});
    ::chmod(replaced.c_str(), 0640);
    const mode_t mask = ::umask(022);
    EXPECT_TRUE(replace_file_atomically(native_file_system(), replaced, std::vector<uint8_t>{1}));
    EXPECT_TRUE(replace_file_atomically(native_file_system(), created, std::vector<uint8_t>{2}));
    ::umask(mask);
    for (const auto& [path, mode] : {std::pair{replaced, 0640u}, std::pair{created, 0644u}}) {
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0) << path;
        EXPECT_EQ(info.st_mode & 0777, mode) << path;
    }
    EXPECT_EQ(test::read_bytes(replaced), std::vector<uint8_t>{1});
}

} // namespace
} // namespace kavelo
