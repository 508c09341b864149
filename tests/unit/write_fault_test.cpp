// Every rewrite of a user's file fails at each step in turn, on a full disk and on a
// read-only file: the original stays byte for byte, no temporary file is left, and the
// caller gets its usual failure and messages. Readers tell a file that does not open from
// one that is refused.

#include "demo/demo_rom.h"
#include "formats/tx81z.h"
#include "formats/voice_formats.h"
#include "formats/ymx_bank.h"
#include "memory_file_system.h"
#include "rom/cartridge_checksum.h"
#include "rom/file_image.h"
#include "rom/track_header.h"
#include "rom/track_table.h"
#include "rom/voice_commit.h"
#include "test_support.h"
#include "vgm/vgm_file.h"

#include <gtest/gtest.h>

#include <functional>

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
    const std::vector<std::string> rom_log{"  * Writing changes to ROM"};
    std::vector<uint8_t> stale_checksum = make_demo_rom();
    stale_checksum[0x18E] ^= 0xFF;
    const run_fn commit_voice_2_1 = [](const rom_access& a) {
        voice_table table;
        const uint32_t start = track_table[2].start;
        const op_result loaded = load_track_voices(a, start, table);
        return loaded.done() ? commit_voice(a, start, table, 1, test::counting_record(0x40))
                             : op_result{99, "load failed"};
    };
    const run_fn commit_header_5 = [](const rom_access& a) {
        track_header header{};
        header.bytes.fill(0x5C);
        return commit_track_header(a, track_table[5].start, header);
    };
    const run_fn export_bank = [](const rom_access& a) {
        return bank_export(a.fs, a.path,
                           std::vector<bank_voice>(100, {test::counting_record(1), "V"}));
    };
    const run_fn export_voice_file = [](const rom_access& a) -> op_result {
        const std::vector<named_voice> voices(100, {test::counting_record(1), "V"});
        return write_voice_file(a.fs, a.path, voices, voice_format_by_extension("bank.ymx"));
    };
    return {
        {"commit_voice", make_demo_rom(), commit_voice_2_1, rom_log, ""},
        {"commit_track_header", make_demo_rom(), commit_header_5, rom_log, ""},
        {"bank_export", old_bank, export_bank, {}, "Cannot write {path}."},
        {"write_voice_file",
         old_bank,
         export_voice_file,
         {},
         "Cannot write {path}; it is unchanged."},
        {"fix_checksum", stale_checksum, [](const rom_access& a) { return fix_checksum(a); },
         rom_log, ""},
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

TEST(ReadFaults, AFileThatDoesNotOpenCannotBeReadAndOneTooLargeIsRefused) {
    using read_fn = std::function<op_result(const file_system& fs, const std::string& path)>;
    tx81z_store store;
    std::vector<uint8_t> vgm;
    const std::pair<read_fn, bool> readers[] = {
        // with the 8 MiB limit (VGM logs take 256)
        {[](auto& fs, auto& path) { return read_voice_file(fs, path); }, true},
        {[](auto& fs, auto& path) { return bank_import(fs, path); }, true},
        {[&](auto& fs, auto& path) { return tx81z_import_file(fs, path, store); }, true},
        {[&](auto& fs, auto& path) { return vgm_read_file(fs, path, vgm); }, false},
    };
    const std::string path = "/music/target";
    for (const auto& [read, has_8_mib_limit] : readers) {
        test::memory_file_system fs;
        const op_result missing = read(fs, path);
        EXPECT_EQ(missing.code, result_cannot_read);
        EXPECT_EQ(missing.problem, "Cannot open /music/target for reading.");
        if (has_8_mib_limit) {
            fs.files[path] = std::vector<uint8_t>(max_file_size + 1, 0);
            const op_result large = read(fs, path);
            EXPECT_EQ(large.code, result_refused);
            EXPECT_EQ(large.problem, describe_read_failure(read_status::too_large, path));
        }
    }
}

} // namespace
} // namespace kavelo
