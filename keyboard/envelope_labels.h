#pragma once
// Where the envelope picture puts its "key off" label: in the row above the plot, beside the
// dashed key-off line, which it shares with the operator legend at the row's right end.

#include <cstdint>

namespace kavelo {

struct label_place {
    int32_t left = 0;          // the label's left edge
    bool below_legend = false; // in the row under the legend rather than beside it
};

struct key_off_label_request {
    int32_t line_x = 0;   // the key-off line
    int32_t width = 0;    // of the label's text
    int32_t gap = 0;      // between the line and the label, and the label and the legend
    int32_t row_left = 0; // the row's extent
    int32_t row_right = 0;
    int32_t legend_left = 0; // the legend fills the row from here to its right end
};

// Right of the line where the label ends clear of the legend, else left of the line where
// it fits the row and ends clear of the legend, else in the row below, right of the line if
// it fits there, else left of it.
label_place place_key_off_label(const key_off_label_request& r);

} // namespace kavelo
