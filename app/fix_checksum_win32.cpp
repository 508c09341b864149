// Tools > Fix Checksum: writes the cartridge checksum the ROM image's bytes call for.

#include "app/app_win32.h"
#include "rom/cartridge_checksum.h"

namespace kavelo {

void fix_rom_checksum(HWND main_window) {
    // A bare track has no cartridge header; its menu does not offer the command.
    if (the_app().file.mode != file_mode::rom_image) {
        return;
    }
    const op_result result = fix_checksum(current_rom_access());
    if (result.code == result_done) {
        return; // the fix logged its own two lines
    }
    const std::string text =
        result.code == result_write_failed ? "Error Fixing Checksum!" : result.problem;
    MessageBoxA(main_window, text.c_str(), "Error!", MB_OK);
    status_log_append(text);
}

} // namespace kavelo
