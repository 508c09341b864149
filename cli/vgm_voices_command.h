#pragma once
// Voices out of VGM music logs on the command line: `kavelo voices SONG.vgm|.vgz` and
// `kavelo bank from-vgm LOG... -o BANK.ymx`.

#include "cli/commands.h"

#include <string>

namespace kavelo::cli {

// True when the file is named .vgm or .vgz or starts like a music log: "Vgm ", or the
// gzip magic of a .vgz.
bool is_music_log(const std::string& path);

// Prints the voices of one log; 0, or 1 after an error line naming the file and offset.
int run_vgm_voices(const std::string& path, bool merge_volume, bool json);

void add_bank_from_vgm_command(CLI::App& bank, cli_context& context);

} // namespace kavelo::cli
