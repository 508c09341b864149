#include "voice_editor/operator_ops.h"

#include <utility>

namespace kavelo {

bool valid_operator(int op) {
    return op >= 1 && op <= operator_count;
}

std::size_t operator_byte_index(int op, int group) {
    // Groups start at byte 1 and run OP4, OP3, OP2, OP1.
    return static_cast<std::size_t>(1 + 4 * group + (operator_count - op));
}

operator_bytes copy_operator(const voice_record& voice, int op) {
    operator_bytes bytes{};
    for (int group = 0; group < operator_group_count; ++group) {
        bytes[static_cast<std::size_t>(group)] = voice[operator_byte_index(op, group)];
    }
    return bytes;
}

void paste_operator(voice_record& voice, int op, const operator_bytes& bytes) {
    for (int group = 0; group < operator_group_count; ++group) {
        voice[operator_byte_index(op, group)] = bytes[static_cast<std::size_t>(group)];
    }
}

void swap_operators(voice_record& voice, int first, int second) {
    for (int group = 0; group < operator_group_count; ++group) {
        std::swap(voice[operator_byte_index(first, group)],
                  voice[operator_byte_index(second, group)]);
    }
}

} // namespace kavelo
