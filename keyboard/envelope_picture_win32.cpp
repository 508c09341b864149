#include "keyboard/envelope_picture_win32.h"

#include "fm/preview_render.h"
#include "keyboard/envelope_curve.h"
#include "keyboard/envelope_labels.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace kavelo {

namespace {

constexpr std::array<COLORREF, 4> operator_colours = {RGB(200, 30, 30), RGB(20, 130, 20),
                                                      RGB(30, 60, 210), RGB(190, 120, 0)};
constexpr int32_t db_bottom = 96; // the axis runs from 0 dB at the top to 96 dB

// A tick spacing of 1, 2 or 5 times a power of ten that gives about five ticks.
uint32_t tick_ms(uint32_t total_ms) {
    uint32_t step = 1;
    for (;;) {
        for (const uint32_t m : {1u, 2u, 5u}) {
            if (total_ms / (step * m) <= 6) {
                return step * m;
            }
        }
        step *= 10;
    }
}

constexpr int legend_step = 34; // between the right ends of the OP1 ... OP4 labels
constexpr int label_gap = 3;
constexpr char key_off_text[] = "key off";

void text_at(HDC dc, int x, int y, const std::string& text, UINT align) {
    SetTextAlign(dc, align);
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

int text_width(HDC dc, const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The key-off label in the legend's row where it stays clear of the legend, else under it.
void draw_key_off_label(HDC dc, const RECT& area, const RECT& plot, int line_x) {
    const int32_t legend_left = plot.right - 3 * legend_step - text_width(dc, "OP1");
    const label_place place = place_key_off_label(
        {line_x, text_width(dc, key_off_text), label_gap, plot.left, plot.right, legend_left});
    if (!place.below_legend) {
        text_at(dc, place.left, area.top + 2, key_off_text, TA_LEFT | TA_TOP);
        return;
    }
    // Inside the plot, on a white ground so that it reads over the curves.
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 255, 255));
    text_at(dc, place.left, plot.top + 2, key_off_text, TA_LEFT | TA_TOP);
    SetBkMode(dc, TRANSPARENT);
}

} // namespace

void draw_envelopes(HDC dc, const RECT& area, const voice_record& voice, uint8_t key_code) {
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    const RECT plot{area.left + 34, area.top + 18, area.right - 8, area.bottom - 18};
    const int width = std::max<int>(plot.right - plot.left, 1);
    const int height = std::max<int>(plot.bottom - plot.top, 1);

    const envelope_timing timing = envelope_picture_timing(voice, key_code);
    const uint32_t total_ms = timing.frames * 1000u / preview_rate;
    const auto x_of_frame = [&](uint64_t frame) {
        return plot.left + static_cast<int>(frame * static_cast<uint64_t>(width) / timing.frames);
    };
    HPEN grid = CreatePen(PS_DOT, 1, RGB(190, 190, 190));
    HGDIOBJ old_pen = SelectObject(dc, grid);
    SetTextColor(dc, RGB(80, 80, 80));
    for (int32_t db = 0; db <= db_bottom; db += 24) {
        const int y = plot.top + db * height / db_bottom;
        MoveToEx(dc, plot.left, y, nullptr);
        LineTo(dc, plot.right, y);
        text_at(dc, plot.left - 4, y - 6, std::to_string(db), TA_RIGHT | TA_TOP);
    }
    const uint32_t tick = tick_ms(std::max(total_ms, 1u));
    for (uint32_t ms = 0; ms <= total_ms; ms += tick) {
        const int x = x_of_frame(uint64_t{ms} * preview_rate / 1000);
        MoveToEx(dc, x, plot.top, nullptr);
        LineTo(dc, x, plot.bottom);
        text_at(dc, x, plot.bottom + 2, std::to_string(ms), TA_CENTER | TA_TOP);
    }
    // The key-off, where the release begins.
    HPEN key_off = CreatePen(PS_DASH, 1, RGB(0, 0, 0));
    SelectObject(dc, key_off);
    const int off_x = x_of_frame(timing.key_off_frame);
    MoveToEx(dc, off_x, plot.top, nullptr);
    LineTo(dc, off_x, plot.bottom);
    draw_key_off_label(dc, area, plot, off_x);

    // One point per pixel column; the curve is stepped frame by frame underneath.
    const uint32_t stride = std::max<uint32_t>(timing.frames / static_cast<uint32_t>(width), 1);
    for (int32_t op = 0; op < 4; ++op) {
        const std::vector<int32_t> points =
            envelope_curve(voice, {op, key_code, timing.key_off_frame, timing.frames, stride});
        const int32_t tl = voice[operator_byte(op, 5)] & 0x7F;
        const int32_t level = ((tl << 7) | tl) >> 2; // attenuation steps, as the core takes TL
        HPEN pen = CreatePen(PS_SOLID, 2, operator_colours[static_cast<std::size_t>(op)]);
        SelectObject(dc, pen);
        for (std::size_t i = 0; i < points.size(); ++i) {
            const int32_t attenuation = std::min(points[i] + level, 4095);
            const int x = x_of_frame(i * uint64_t{stride});
            // 4096 steps span 96 dB.
            const int y = plot.top + attenuation * height / 4096;
            if (i == 0) {
                MoveToEx(dc, x, y, nullptr);
            } else {
                LineTo(dc, x, y);
            }
        }
        SelectObject(dc, key_off);
        DeleteObject(pen);
        SetTextColor(dc, operator_colours[static_cast<std::size_t>(op)]);
        text_at(dc, plot.right - legend_step * (3 - op), area.top + 2,
                "OP" + std::to_string(op + 1), TA_RIGHT | TA_TOP);
    }
    SetTextColor(dc, RGB(80, 80, 80));
    text_at(dc, area.left + 2, area.top + 2, "dB", TA_LEFT | TA_TOP);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_font);
    DeleteObject(key_off);
    DeleteObject(grid);
}

} // namespace kavelo
