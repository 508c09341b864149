// Runs the GUI tests named on the command line (all by default) and sums them up in the
// "N passed, N failed" form that scripts/test reads.
//   kavelo_gui_tests --app KAVELO.exe --work DIR --screenshots DIR [--filter NAME] [--list]

#include "gui_test.h"

#include <cstdio>
#include <fstream>
#include <map>

namespace gui {

namespace {

std::map<std::string, test_function>& registry() {
    static std::map<std::string, test_function> tests;
    return tests;
}

test_environment the_environment;
std::string running_test;

std::string join_path(const std::string& directory, const std::string& name) {
    const bool separated = directory.empty() || directory.back() == '\\' || directory.back() == '/';
    return directory + (separated ? "" : "\\") + name;
}

} // namespace

test_registration::test_registration(const char* name, test_function function) {
    registry()[name] = function;
}

const test_environment& environment() {
    return the_environment;
}
const std::string& current_test() {
    return running_test;
}

void save_screenshot(const std::vector<HWND>& windows, const std::string& label) {
    const std::string path =
        join_path(the_environment.screenshot_dir, running_test + "-" + label + ".bmp");
    if (!screenshot(windows, path)) {
        std::printf("  (screenshot %s could not be saved)\n", path.c_str());
    }
}

void expect(bool condition, const std::string& what) {
    if (!condition) {
        fail(what);
    }
}

void expect_equal(const std::string& actual, const std::string& expected, const std::string& what) {
    expect(actual == expected, what + ": expected \"" + expected + "\", got \"" + actual + "\"");
}

void expect_equal(long long actual, long long expected, const std::string& what) {
    expect(actual == expected,
           what + ": expected " + std::to_string(expected) + ", got " + std::to_string(actual));
}

std::string write_work_file(const std::string& name, const std::vector<unsigned char>& bytes) {
    const std::string path = join_path(the_environment.work_dir, name);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    expect(static_cast<bool>(file), "cannot write " + path);
    return path;
}

} // namespace gui

int main(int argc, char** argv) {
    using namespace gui;
    std::string filter;
    bool list = false;
    const std::map<std::string, std::string*> paths{
        {"--app", &the_environment.app_path},
        {"--work", &the_environment.work_dir},
        {"--screenshots", &the_environment.screenshot_dir}};
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (paths.count(argument) && i + 1 < argc) {
            *paths.at(argument) = to_windows_path(argv[++i]);
        } else if (argument == "--filter" && i + 1 < argc) {
            filter = argv[++i];
        } else if (argument == "--list") {
            list = true;
        } else {
            std::fprintf(stderr, "unknown argument: %s\n", argument.c_str());
            return 2;
        }
    }
    if (list || the_environment.app_path.empty()) {
        for (const auto& [name, function] : registry()) {
            std::printf("%s\n", name.c_str());
        }
        if (!list) {
            std::fprintf(stderr, "--app KAVELO.exe is required\n");
        }
        return list ? 0 : 2;
    }

    int passed = 0;
    int failed = 0;
    for (const auto& [name, function] : registry()) {
        if (!filter.empty() && name != filter) {
            continue;
        }
        running_test = name;
        std::printf("[ RUN      ] %s\n", name.c_str());
        std::fflush(stdout);
        try {
            function();
            ++passed;
            std::printf("[       OK ] %s\n", name.c_str());
        } catch (const std::exception& failure) {
            ++failed;
            std::printf("  %s\n[  FAILED  ] %s\n", failure.what(), name.c_str());
        }
        std::fflush(stdout);
    }
    if (passed + failed == 0) {
        std::printf("no test matches \"%s\"\n", filter.c_str());
        return 1;
    }
    std::printf("kavelo_gui_tests: %d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
