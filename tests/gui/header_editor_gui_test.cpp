// The Track Header Editor: every field of a picked track shown and committed into its own byte.

#include "flows.h"

#include "header_editor/header_fields.h"
#include "rom/track_table.h"

namespace gui {

KAVELO_GUI_TEST(header_editor_each_field_lands_in_its_own_byte) {
    rom_session app;
    header_editor header(app);
    save_screenshot({header.dialog}, "dialog");
    expect(items(header.item(IDC_HEADER_TRACK_LIST)).size() == kavelo::track_table.size(),
           "every track listed");
    header.pick_track(9);
    const uint32_t start = track_start(9);
    const kavelo::track_header_layout layout =
        kavelo::header_layout(app.original[start + 2], app.original[start + 3]);
    for (const kavelo::header_field& f : kavelo::header_fields) {
        const std::optional<std::size_t> byte = kavelo::header_field_byte(f, layout);
        expect_equal(header.field(f.control_id),
                     byte ? kavelo::format_header_byte(app.original[start + *byte]) : "",
                     std::string(f.name) + " shows its byte, or nothing");
        expect((IsWindowEnabled(header.item(f.control_id)) != 0) == byte.has_value(),
               std::string(f.name) + " is enabled exactly when the header has its channel");
        if (byte) {
            std::vector<uint8_t> want = app.bytes();
            want[start + *byte] = want[start + *byte] == 201 ? 202 : 201;
            header.type(f.control_id, std::to_string(want[start + *byte]));
            header.commit();
            expect(app.bytes() == want, std::string(f.name) + ": exactly its byte changes");
        }
    }
    header.close();
}

} // namespace gui
