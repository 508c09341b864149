// Runs the GUI tests named on the command line (all by default) and sums them up in the
// "N passed, N failed" form that scripts/test reads.
//   kavelo_gui_tests --app KAVELO.exe --work DIR --screenshots DIR [--filter NAME]

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
    // The runner names folders without a closing separator.
    const std::string path =
        the_environment.screenshot_dir + "\\" + running_test + "-" + label + ".bmp";
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

void expect_soon(const std::function<bool()>& condition, const std::string& what,
                 duration timeout) {
    expect(wait_until(condition, timeout), what);
}

std::string write_work_file(const std::string& name, const std::vector<unsigned char>& bytes) {
    const std::string path = the_environment.work_dir + "\\" + name;
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
    const std::map<std::string, std::string*> values{
        {"--app", &the_environment.app_path},
        {"--work", &the_environment.work_dir},
        {"--screenshots", &the_environment.screenshot_dir},
        {"--filter", &filter}};
    int i = 1;
    for (; i + 1 < argc && values.count(argv[i]); i += 2) {
        *values.at(argv[i]) = to_windows_path(argv[i + 1]);
    }
    if (i != argc || the_environment.app_path.empty()) {
        std::fprintf(stderr, "usage: --app EXE --work DIR --screenshots DIR [--filter NAME]\n");
        return 2;
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
