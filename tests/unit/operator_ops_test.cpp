#include "test_support.h"
#include "voice_editor/operator_ops.h"
#include "voice_editor/voice_fields.h"

#include <gtest/gtest.h>

namespace kavelo {
namespace {

// Every field of operator `op` as the editor's controls show it, through the field table.
std::vector<int> fields_of(const voice_record& voice, int op) {
    std::vector<int> values;
    for (const field_control& control : voice_field_controls()) {
        const int column = (control.control_id - 1004) / operator_column_step + 1;
        if (control.field->per_operator && column == op) {
            values.push_back(field_value(voice, control));
        }
    }
    return values;
}

TEST(OperatorOps, PasteCarriesEveryFieldAndAmeAndTouchesNothingElse) {
    voice_record voice{};
    voice[0] = 0x3D;
    // OP3: DET 5 MUL 9, RS 2 AR 17, AME on D1R 30, D2R 4, D1L 11 RR 6, TL 100.
    const operator_bytes op3{0x59, 0x91, 0x9E, 0x04, 0xB6, 100};
    paste_operator(voice, 3, op3);
    for (int to : {1, 2, 4}) {
        voice_record pasted = voice;
        paste_operator(pasted, to, copy_operator(voice, 3));
        EXPECT_EQ(fields_of(pasted, to), fields_of(voice, 3)) << "OP" << to;
        for (std::size_t i = 0; i < voice.size(); ++i) {
            if (!(i >= 1 && (i - 1) % 4 == static_cast<std::size_t>(4 - to))) {
                EXPECT_EQ(pasted[i], voice[i]) << "OP" << to << " byte " << i;
            }
        }
    }
}

TEST(OperatorOps, SwapExchangesTwoOperatorsAndTwiceRestores) {
    const voice_record voice = test::counting_record(0x40);
    for (int a = 1; a <= 4; ++a) {
        for (int b = a % 4 + 1; b != a; b = b % 4 + 1) {
            SCOPED_TRACE(testing::Message() << a << " " << b);
            voice_record swapped = voice;
            swap_operators(swapped, a, b);
            EXPECT_EQ(swapped[0], voice[0]);
            for (int op = 1; op <= 4; ++op) {
                const int from = op == a ? b : op == b ? a : op;
                EXPECT_EQ(copy_operator(swapped, op), copy_operator(voice, from)) << "OP" << op;
            }
            swap_operators(swapped, b, a);
            EXPECT_EQ(swapped, voice);
        }
    }
}

} // namespace
} // namespace kavelo
