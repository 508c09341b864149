// Every rewrite of a user's file (a voice commit, a header commit, a bank export, a voice
// file export, a checksum fix) fails at each step in turn, on a full disk and on a read-only
// file: the original stays byte for byte, no temporary file is left, and the caller gets its
// usual failure and messages. The readers of imported files tell a file that does not open
// from one that is refused.

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

#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace kavelo {
namespace {

// What a rewrite reported: its result code, the log lines and the problem text.
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
    track_header header{};
    header.bytes.fill(0x5C);
    const op_result result = commit_track_header({fs, path, file_mode::rom_image, log.sink()},
                                                 track_table[5].start, header);
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
    const op_result result = bank_export(fs, path, bank_voices(100));
    return {result.code, {}, result.problem};
}

outcome export_voice_file(const file_system& fs, const std::string& path) {
    std::vector<named_voice> voices;
    for (const bank_voice& v : bank_voices(100)) {
        voices.push_back({v.voice, v.name});
    }
    const voice_file_written result =
        write_voice_file(fs, path, voices, voice_format_by_extension("bank.ymx"));
    return {result.code, {}, result.problem};
}

std::vector<rewrite> rewrites() {
    std::vector<uint8_t> old_bank;
    EXPECT_TRUE(bank_write(bank_voices(120), old_bank).done());
    const std::vector<std::string> rom_log{"  * Writing changes to ROM"};
    std::vector<uint8_t> stale_checksum = make_demo_rom();
    stale_checksum[0x18E] ^= 0xFF;
    return {
        {"commit_voice", make_demo_rom(), commit_voice_2_1, rom_log, ""},
        {"commit_track_header", make_demo_rom(), commit_header_5, rom_log, ""},
        {"bank_export", old_bank, export_bank, {}, "Cannot write {path}."},
        {"write_voice_file",
         old_bank,
         export_voice_file,
         {},
         "Cannot write {path}; it is unchanged."},
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

TEST(WriteFaults, AReadOnlyFileOnDiskIsNotRewritten) {
    for (const rewrite& r : rewrites()) {
        SCOPED_TRACE(r.name);
        test::scratch_dir dir;
        const std::string path = dir.file("target");
        test::write_bytes(path, r.original);
        ::chmod(path.c_str(), 0444);
        expect_failed_as_usual(r, r.run(native_file_system(), path), path);
        ::chmod(path.c_str(), 0644);
        EXPECT_EQ(test::read_bytes(path), r.original);
        EXPECT_EQ(files_in(dir.path()), 1u);
        EXPECT_EQ(r.run(native_file_system(), path).code, result_done);
        EXPECT_NE(test::read_bytes(path), r.original);
        EXPECT_EQ(files_in(dir.path()), 1u);
    }
}

TEST(WriteFaults, EachFailedStepOrAFullDiskInMemoryLeavesTheOriginalIntact) {
    using test::write_fault;
    const std::string path = "/music/target";
    for (const rewrite& r : rewrites()) {
        for (int step = 1; step <= 6; ++step) {
            SCOPED_TRACE(r.name + " step " + std::to_string(step));
            test::memory_file_system fs;
            fs.files[path] = r.original;
            if (step < 6) {
                fs.fault = static_cast<write_fault>(step);
            } else {
                fs.free_space = r.original.size() / 2; // the disk runs full part way
            }
            expect_failed_as_usual(r, r.run(fs, path), path);
            EXPECT_EQ(fs.files.size(), 1u);
            EXPECT_EQ(fs.files[path], r.original);
            fs.fault = write_fault::none;
            fs.free_space = r.original.size(); // exactly enough room
            EXPECT_EQ(r.run(fs, path).code, result_done);
            EXPECT_EQ(fs.files.size(), 1u);
        }
    }
}

TEST(ReadFaults, AFileThatDoesNotOpenCannotBeReadAndOneTooLargeIsRefused) {
    struct reader {
        std::string name;
        std::function<op_result(const file_system& fs, const std::string& path)> read;
        bool has_8_mib_limit; // the music log reader's limit is 256 MiB
    };
    const std::vector<reader> readers{
        {"read_voice_file", [](auto& fs, auto& path) { return read_voice_file(fs, path); }, true},
        {"bank_import", [](auto& fs, auto& path) { return bank_import(fs, path); }, true},
        {"tx81z_import_file",
         [](auto& fs, auto& path) {
             tx81z_store store;
             return tx81z_import_file(fs, path, store);
         },
         true},
        {"vgm_read_file",
         [](auto& fs, auto& path) {
             std::vector<uint8_t> bytes;
             return vgm_read_file(fs, path, bytes);
         },
         false},
    };
    const std::string path = "/music/target";
    for (const reader& r : readers) {
        SCOPED_TRACE(r.name);
        test::memory_file_system fs;
        const op_result missing = r.read(fs, path);
        EXPECT_EQ(missing.code, result_cannot_read);
        EXPECT_EQ(missing.problem, "Cannot open /music/target for reading.");
        if (r.has_8_mib_limit) {
            fs.files[path] = std::vector<uint8_t>(max_file_size + 1, 0);
            const op_result large = r.read(fs, path);
            EXPECT_EQ(large.code, result_refused);
            EXPECT_EQ(large.problem, describe_read_failure(read_status::too_large, path));
        }
    }
}

} // namespace
} // namespace kavelo
