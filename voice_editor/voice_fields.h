#pragma once
// The voice field table: which control shows which bits of which Voice record byte.
// Showing a voice and reading it back both walk this one table.
//
// Control ids: the per-operator fields have their OP1 id here; OP2, OP3 and OP4 add
// 10, 20 and 30. Within a byte group the record holds OP4, OP3, OP2, OP1, so
// operator n (1..4) uses byte first_byte + 4 - n. The ids are the dialog template's own,
// from res/voice_editor_ids.h.

#include "res/voice_editor_ids.h"
#include "rom/voice_record.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kavelo {

enum class field_display : uint8_t {
    index,       // entry k shows k
    odd_numbers, // entry k shows 2k + 1 (release rate)
    check_box,   // the AME check box
};

struct voice_field {
    std::string_view label; // the dialog's row label
    uint16_t control_id;    // the single control, or OP1's control
    bool per_operator;
    uint8_t first_byte; // byte 0, or the first byte of the group
    uint8_t shift;
    uint8_t width;   // bits
    uint8_t entries; // list entries (2 for a check box)
    field_display display;
};

inline constexpr uint16_t operator_column_step = IDC_OP_COLUMN_STEP;

inline constexpr std::array<voice_field, 12> voice_fields{{
    {"ALG:", IDC_ALG_LIST, false, 0, 0, 3, 8, field_display::index},
    {"FBL:", IDC_FBL_LIST, false, 0, 3, 3, 8, field_display::index},
    {"DET:", IDC_OP1_DET, true, 1, 4, 3, 8, field_display::index},
    {"MUL:", IDC_OP1_MUL, true, 1, 0, 4, 16, field_display::index},
    {"TL:", IDC_OP1_TL, true, 21, 0, 7, 128, field_display::index},
    {"RS:", IDC_OP1_RS, true, 5, 6, 2, 4, field_display::index},
    {"AR:", IDC_OP1_AR, true, 5, 0, 5, 32, field_display::index},
    {"D1R:", IDC_OP1_D1R, true, 9, 0, 5, 32, field_display::index},
    {"D2R:", IDC_OP1_D2R, true, 13, 0, 5, 32, field_display::index},
    {"D1L:", IDC_OP1_D1L, true, 17, 4, 4, 16, field_display::index},
    {"RR:", IDC_OP1_RR, true, 17, 0, 4, 16, field_display::odd_numbers},
    {"AME", IDC_OP1_AME, true, 9, 7, 1, 2, field_display::check_box},
}};

// The named ids of the four operator columns, in table order: each must be the table's OP1
// id plus the column step per column, since showing and reading a voice compute them so.
namespace voice_field_ids {
inline constexpr std::array<std::array<uint16_t, 10>, 4> columns{{
    {IDC_OP1_DET, IDC_OP1_MUL, IDC_OP1_TL, IDC_OP1_RS, IDC_OP1_AR, IDC_OP1_D1R, IDC_OP1_D2R,
     IDC_OP1_D1L, IDC_OP1_RR, IDC_OP1_AME},
    {IDC_OP2_DET, IDC_OP2_MUL, IDC_OP2_TL, IDC_OP2_RS, IDC_OP2_AR, IDC_OP2_D1R, IDC_OP2_D2R,
     IDC_OP2_D1L, IDC_OP2_RR, IDC_OP2_AME},
    {IDC_OP3_DET, IDC_OP3_MUL, IDC_OP3_TL, IDC_OP3_RS, IDC_OP3_AR, IDC_OP3_D1R, IDC_OP3_D2R,
     IDC_OP3_D1L, IDC_OP3_RR, IDC_OP3_AME},
    {IDC_OP4_DET, IDC_OP4_MUL, IDC_OP4_TL, IDC_OP4_RS, IDC_OP4_AR, IDC_OP4_D1R, IDC_OP4_D2R,
     IDC_OP4_D1L, IDC_OP4_RR, IDC_OP4_AME},
}};

consteval bool columns_follow_table() {
    std::size_t row = 0;
    for (const voice_field& field : voice_fields) {
        if (!field.per_operator) {
            continue;
        }
        for (std::size_t op = 0; op < columns.size(); ++op) {
            const auto expected = field.control_id + operator_column_step * static_cast<int>(op);
            if (columns[op][row] != expected) {
                return false;
            }
        }
        ++row;
    }
    return row == columns[0].size();
}
static_assert(columns_follow_table(), "an operator control id left its column's step");
} // namespace voice_field_ids

// One control of the editor: its id, the record byte and the field it shows.
struct field_control {
    const voice_field* field;
    uint16_t control_id;
    uint8_t byte;
};

// Every control of the table: 2 single ones, then 10 per operator column (OP1..OP4).
std::array<field_control, 42> voice_field_controls();

// The text of list entry k of a field.
std::string field_entry_text(const voice_field& field, int entry);

uint8_t field_value(const voice_record& record, const field_control& control);
void set_field_value(voice_record& record, const field_control& control, int value);

// The control side of the editor: lists and check boxes addressed by control id.
class voice_controls {
  public:
    virtual ~voice_controls() = default;
    virtual void select(uint16_t control_id, int entry) = 0;
    virtual int selection(uint16_t control_id) const = 0; // -1 for none
    virtual void check(uint16_t control_id, bool checked) = 0;
    virtual bool checked(uint16_t control_id) const = 0;
};

// Sets every control from the record, taking exactly the bits of each field.
void voice_editor_show_voice(const voice_record& record, voice_controls& controls);

// Builds a record from the controls; bits no control shows are zero.
voice_record voice_editor_read_voice(const voice_controls& controls);

} // namespace kavelo
