// The coordination flags (0xE0-0xFF) of a channel's stream, each acted on as it is read.

#include "track/track_interpreter.h"

#include "track/stream_fault.h"

#include <cstdio>

namespace kavelo {

namespace {

std::string flag_at(uint8_t flag, uint32_t at) {
    char text[48];
    std::snprintf(text, sizeof text, "flag 0x%02X at 0x%X", flag, at);
    return text;
}

constexpr int32_t fm4_record = 4;

} // namespace

track_interpreter::flow track_interpreter::coordination_flag(int32_t index, channel_record ch,
                                                             uint8_t flag, uint32_t at,
                                                             std::vector<driver_write>& out) {
    const uint32_t p = at + 1; // the first parameter byte
    const auto jump = [&](uint32_t offset_at) {
        const auto offset =
            static_cast<int16_t>(stream_byte(offset_at) << 8 | stream_byte(offset_at + 1));
        const uint32_t target = offset_at + 1 + static_cast<uint32_t>(int32_t{offset});
        ch.set_address(record::stream, target);
        return target;
    };
    switch (flag) {
    case 0xE0:
    case 0xFA: { // pan, AMS, FMS; the flag table ends at F9, so FA lands on E0's handler
        const uint8_t value = next_byte(ch);
        if ((ch.vc() & 0x80) == 0) {
            ch[record::pan] = static_cast<uint8_t>(value | (ch[record::pan] & 0x37));
            if (!ch.has(ctl_overridden)) {
                channel_write(ch.vc(), 0xB4, ch[record::pan], out);
            }
        }
        return flow::go_on;
    }
    case 0xE1:
        ch[record::detune] = next_byte(ch);
        return flow::go_on;
    case 0xE2: // a byte for the game, which no write depends on
        next_byte(ch);
        return flow::go_on;
    case 0xE3: {
        const uint8_t sp = ch[record::stack];
        if (sp == record::stack_top) {
            throw stream_fault{flag_at(flag, at) + " returns with nothing on the call stack"};
        }
        const uint32_t back = ch.address(sp);
        ch.set_address(sp, 0);
        ch[record::stack] = static_cast<uint8_t>(sp + 4);
        ch.set_address(record::stream, back + 2);
        return flow::go_on;
    }
    case 0xE4: // the end of an interrupting tune: the music it interrupted was silence
        silenced_ = true;
        return flow::frame_done;
    case 0xE5:
        ch[record::divider] = next_byte(ch);
        return flow::go_on;
    case 0xE6:
        ch[record::volume] = static_cast<uint8_t>(ch[record::volume] + next_byte(ch));
        if (!ch.has(ctl_overridden)) {
            rewrite_carriers(ch, out);
        }
        return flow::go_on;
    case 0xE7:
        ch.set(ctl_hold);
        return flow::go_on;
    case 0xE8:
        ch[record::fill_master] = ch[record::fill_timeout] = next_byte(ch);
        return flow::go_on;
    case 0xE9:
        ch[record::transpose] = static_cast<uint8_t>(ch[record::transpose] + next_byte(ch));
        return flow::go_on;
    case 0xEA:
        main_tempo_ = main_timeout_ = next_byte(ch);
        return flow::go_on;
    case 0xEB: {
        const uint8_t divider = next_byte(ch);
        for (int32_t i = 0; i < music_channel_count; ++i) {
            channel(i)[record::divider] = divider;
        }
        return flow::go_on;
    }
    case 0xEC:
        ch[record::volume] = static_cast<uint8_t>(ch[record::volume] + next_byte(ch));
        return flow::go_on;
    case 0xED: // clears a flag of the game's sound effects
        return flow::go_on;
    case 0xEE: { // stops this channel and gives FM4 its voice back
        ch.clear(ctl_playing | ctl_hold);
        if (!ch.has(ctl_overridden)) {
            out.push_back({write_target::ym0, 0x28, ch.vc()});
        }
        channel_record fm4 = channel(fm4_record);
        fm4.clear(ctl_overridden);
        fm4.set(ctl_resting);
        load_voice(fm4_record, fm4, out);
        return flow::channel_done;
    }
    case 0xEF:
        ch[record::voice] = next_byte(ch);
        if (!ch.has(ctl_overridden)) {
            load_voice(index, ch, out);
        }
        return flow::go_on;
    case 0xF0: {
        ch.set(ctl_modulating);
        ch.set_address(record::modulation, p);
        ch[record::mod_wait] = next_byte(ch);
        ch[record::mod_speed] = next_byte(ch);
        ch[record::mod_delta] = next_byte(ch);
        ch[record::mod_steps] = next_byte(ch) / 2;
        ch.set_word(record::mod_value, 0);
        return flow::go_on;
    }
    case 0xF1:
        ch.set(ctl_modulating);
        return flow::go_on;
    case 0xF2:
        ch.clear(ctl_playing | ctl_hold);
        if (!ch.has(ctl_overridden)) {
            if (is_psg(index)) {
                out.push_back({write_target::psg, 0, static_cast<uint8_t>(ch.vc() | 0x1F)});
            } else if (index != drum_channel) {
                out.push_back({write_target::ym0, 0x28, ch.vc()});
            }
        }
        return flow::channel_done;
    case 0xF3: { // the channel becomes the noise channel
        const uint8_t noise = next_byte(ch);
        ch[record::voice_control] = 0xE0;
        ch[record::algorithm] = noise;
        if (!ch.has(ctl_overridden)) {
            out.push_back({write_target::psg, 0, noise});
        }
        return flow::go_on;
    }
    case 0xF4:
        ch.clear(ctl_modulating);
        return flow::go_on;
    case 0xF5:
        ch[record::voice] = next_byte(ch);
        return flow::go_on;
    case 0xF6:
        if (jump(p) < p) {
            ++jumps_back_[index];
        }
        return flow::go_on;
    case 0xF7: {
        const uint8_t counter = stream_byte(p);
        const uint8_t count = stream_byte(p + 1);
        uint8_t& left = ch[record::loop_counters + uint32_t{counter}];
        if (left == 0) {
            left = count;
        }
        if (--left != 0) {
            jump(p + 2);
        } else {
            ch.set_address(record::stream, p + 4);
        }
        return flow::go_on;
    }
    case 0xF8: {
        const auto sp = static_cast<uint8_t>(ch[record::stack] - 4);
        ch[record::stack] = sp;
        ch.set_address(sp, p);
        jump(p);
        return flow::go_on;
    }
    case 0xF9: // always channel 1's operator 3 and 4 release rates
        out.push_back({write_target::ym0, 0x88, 0x0F});
        out.push_back({write_target::ym0, 0x8C, 0x0F});
        return flow::go_on;
    default: // FB-FF land inside another handler: the result is not defined by the track
        throw stream_fault{flag_at(flag, at) + " is not one the sound driver defines"};
    }
}

} // namespace kavelo
