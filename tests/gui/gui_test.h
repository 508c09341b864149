#pragma once
// A small test runner for the GUI tests: each KAVELO_GUI_TEST is a function run with a fresh
// KAVELO.exe; the checks throw test_failure, which ends the test and is reported.

#include "gui_driver.h"

#include <string>
#include <vector>

namespace gui {

// Paths the runner hands to every test, as Windows paths.
struct test_environment {
    std::string app_path;       // KAVELO.exe
    std::string work_dir;       // files a test writes (ROM images, tracks)
    std::string screenshot_dir; // one screenshot per window a test opens
};
const test_environment& environment();
// The name of the running test, for file and screenshot names.
const std::string& current_test();

using test_function = void (*)();
struct test_registration {
    test_registration(const char* name, test_function function);
};

// A screenshot <test>-<label>.bmp of the windows given (the whole screen for none).
void save_screenshot(const std::vector<HWND>& windows, const std::string& label);

// Checks that end the test with a message naming what was expected and what was seen.
void expect(bool condition, const std::string& what);
void expect_equal(const std::string& actual, const std::string& expected, const std::string& what);
void expect_soon(const std::function<bool()>& condition, const std::string& what, // in time
                 duration timeout = default_timeout);

// Writes bytes to a file in the work folder; returns its Windows path.
std::string write_work_file(const std::string& name, const std::vector<unsigned char>& bytes);

} // namespace gui

#define KAVELO_GUI_TEST(name)                                                                      \
    static void gui_test_##name();                                                                 \
    static const ::gui::test_registration gui_test_registration_##name(#name, gui_test_##name);    \
    static void gui_test_##name()
