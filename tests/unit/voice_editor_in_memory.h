#pragma once
// A Voice editor opened on a file held in memory: the session, its state and a plain-data
// view, on a fresh demo ROM image or bare track.

#include "demo/demo_rom.h"
#include "fake_voice_editor_view.h"
#include "memory_file_system.h"
#include "voice_editor/voice_editor_session.h"

namespace kavelo::test {

struct voice_editor_in_memory {
    static constexpr const char* path = "/music/file.bin";
    memory_file_system fs;
    voice_editor_state state;
    fake_voice_editor_view view;
    voice_editor_session session;

    explicit voice_editor_in_memory(file_mode mode = file_mode::rom_image)
        : session{state, view,
                  rom_access{fs, path, mode, [this](std::string_view line) { view.log(line); }}} {
        fs.files[path] = mode == file_mode::rom_image ? make_demo_rom() : make_demo_track(2);
        session.open();
    }
};

} // namespace kavelo::test
