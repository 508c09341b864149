// clang-format off
// Regenerate: g++ -std=c++20 -O2 -Wall -Wextra -o /tmp/draw_algorithms res/algorithm_art/draw_algorithms.cpp && /tmp/draw_algorithms res/algorithm_art
// Check:      /tmp/draw_algorithms --check res/algorithm_art
// clang-format on
//
// Writes the eight algorithm pictures of the Voice editor, algorithm0.bmp to algorithm7.bmp
// (resources 134 to 141). Algorithm 1 is stored with 24 bits per pixel, the others with 16.
// The output is byte for byte the same on every run. With --check it draws them in memory,
// compares them with the files in DIR, checks each file's header and checks that the pictures
// connect the operators as the chip routes them; the exit status is 0 only if all of it holds.
#include "algorithm_picture.h"
#include "algorithm_table.h"
#include "bmp_file.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using algorithm_table::algorithm;

int bits_of(int number) {
    return number == 1 ? 24 : 16;
}

fs::path file_of(const fs::path& dir, int number) {
    return dir / ("algorithm" + std::to_string(number) + ".bmp");
}

std::vector<uint8_t> render(int number) {
    return bmp_file::encode(algorithm_picture::draw(number), bits_of(number));
}

// Collects failures so one run reports every fault, not just the first.
struct report {
    int failures = 0;
    void fail(int number, const std::string& what) {
        std::fprintf(stderr, "algorithm %d: %s\n", number, what.c_str());
        ++failures;
    }
};

// The picture's links and carriers, against the chip's own routes (box numbers = chip order).
void check_routes(int number, const algorithm& a, report& r) {
    using namespace algorithm_table;
    const chip_routes c = chip[static_cast<std::size_t>(number)];
    std::set<std::pair<int, int>> chip_links;
    uint8_t chip_heard = 0b1000; // OP4 (box 4) is always heard
    const std::pair<int, uint8_t> sources[] = {{1, c.op1}, {2, c.op3}, {3, c.op2}};
    for (const auto& [box, routes] : sources) {
        for (const route in : {in2, in3, in4})
            if (routes & in)
                chip_links.emplace(box, box_of_input(in));
        if (routes & out)
            chip_heard |= static_cast<uint8_t>(1 << (box - 1));
    }
    std::set<std::pair<int, int>> drawn;
    for (int i = 0; i < a.link_count; ++i)
        drawn.emplace(a.links[static_cast<std::size_t>(i)].from,
                      a.links[static_cast<std::size_t>(i)].to);
    if (drawn != chip_links || static_cast<int>(drawn.size()) != a.link_count)
        r.fail(number, "drawn links differ from the chip's routes");
    if (a.heard != chip_heard)
        r.fail(number, "shaded carriers differ from the operators the chip sends to the output");
}

// Layout rules the router relies on: links run one column leftwards, boxes do not overlap.
void check_layout(int number, const algorithm& a, report& r) {
    for (int i = 0; i < a.link_count; ++i) {
        const auto& l = a.links[static_cast<std::size_t>(i)];
        if (l.from < 1 || l.from > 4 || l.to < 1 || l.to > 4 ||
            a.boxes[static_cast<std::size_t>(l.from - 1)].column !=
                a.boxes[static_cast<std::size_t>(l.to - 1)].column + 1)
            r.fail(number, "link " + std::to_string(l.from) + "->" + std::to_string(l.to) +
                               " does not run one column to the left");
    }
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t j = i + 1; j < 4; ++j)
            if (a.boxes[i].column == a.boxes[j].column &&
                std::abs(a.boxes[i].half_row - a.boxes[j].half_row) < 2)
                r.fail(number, "boxes " + std::to_string(i + 1) + " and " + std::to_string(j + 1) +
                                   " overlap");
}

void check_header(int number, const std::vector<uint8_t>& bytes, report& r) {
    const auto h = bmp_file::read_header(bytes);
    if (!h) {
        r.fail(number, "not a BMP file");
        return;
    }
    const int bits = bits_of(number);
    const uint32_t image = bmp_file::row_stride(algorithm_picture::width, bits) *
                           static_cast<uint32_t>(algorithm_picture::height);
    const uint32_t offset = bmp_file::file_header_size + bmp_file::info_header_size;
    const std::pair<bool, const char*> rules[] = {
        {h->file_size == bytes.size(), "file size field differs from the file's length"},
        {h->reserved == 0, "reserved words are not zero"},
        {h->pixel_offset == offset, "pixels do not follow the two headers"},
        {h->info_size == bmp_file::info_header_size, "not a BITMAPINFOHEADER"},
        {h->width == algorithm_picture::width, "width is not 324"},
        {h->height == algorithm_picture::height, "height is not 60 (bottom-up)"},
        {h->planes == 1, "planes is not 1"},
        {h->bits == bits, number == 1 ? "not 24 bits per pixel" : "not 16 bits per pixel"},
        {h->compression == 0, "not BI_RGB"},
        {h->image_size == image && bytes.size() == offset + image, "pixel data size is wrong"},
    };
    for (const auto& [ok, what] : rules)
        if (!ok)
            r.fail(number, what);
}

// Decodes, independently of the encoder, the fill colour inside every box of the committed
// file: shaded for the chip's carriers, white for modulators. Catches channel order, 5-5-5
// packing and row order faults that a comparison with a fresh drawing cannot see.
void check_shading(int number, const algorithm& a, const std::vector<uint8_t>& bytes, report& r) {
    const int bits = bits_of(number);
    const uint32_t stride = bmp_file::row_stride(algorithm_picture::width, bits);
    for (int box = 1; box <= 4; ++box) {
        const algorithm_picture::box_rect rect =
            algorithm_picture::rect_of(a.boxes[static_cast<std::size_t>(box - 1)]);
        const int x = rect.left + 2, y = rect.top + 2; // inside the fill, clear of the digit
        const std::size_t row = static_cast<std::size_t>(algorithm_picture::height - 1 - y);
        const std::size_t at = bmp_file::file_header_size + bmp_file::info_header_size +
                               row * stride + static_cast<std::size_t>(x * bits / 8);
        if (at + 3 > bytes.size())
            return; // the header check already reports a short file
        uint8_t red, green, blue;
        if (bits == 16) {
            const unsigned v = bytes[at] | bytes[at + 1] << 8;
            red = bmp_file::widen(v >> 10 & 31);
            green = bmp_file::widen(v >> 5 & 31);
            blue = bmp_file::widen(v & 31);
        } else {
            blue = bytes[at];
            green = bytes[at + 1];
            red = bytes[at + 2];
        }
        const rgb5 want = algorithm_picture::is_heard(a, box)
                              ? algorithm_picture::colour::carrier
                              : algorithm_picture::colour::modulator;
        if (red != bmp_file::widen(want.r) || green != bmp_file::widen(want.g) ||
            blue != bmp_file::widen(want.b))
            r.fail(number, "box " + std::to_string(box) + " is not filled as a " +
                               (algorithm_picture::is_heard(a, box) ? "carrier" : "modulator"));
    }
}

std::vector<uint8_t> read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int check(const fs::path& dir) {
    report r;
    for (int n = 0; n < 8; ++n) {
        const algorithm& a = algorithm_table::algorithms[static_cast<std::size_t>(n)];
        check_routes(n, a, r);
        check_layout(n, a, r);
        const fs::path path = file_of(dir, n);
        if (!fs::exists(path)) {
            r.fail(n, "missing " + path.string());
            continue;
        }
        const std::vector<uint8_t> committed = read_file(path);
        check_header(n, committed, r);
        check_shading(n, a, committed, r);
        const std::vector<uint8_t> drawn = render(n);
        if (committed != drawn) {
            std::size_t at = 0;
            while (at < committed.size() && at < drawn.size() && committed[at] == drawn[at])
                ++at;
            r.fail(n, path.string() + " differs from a fresh drawing at byte " +
                          std::to_string(at) + "; regenerate it");
        }
    }
    if (r.failures == 0)
        std::printf("algorithm pictures: all 8 match and connect as the chip does\n");
    return r.failures == 0 ? 0 : 1;
}

int generate(const fs::path& dir) {
    report r;
    for (int n = 0; n < 8; ++n) {
        check_routes(n, algorithm_table::algorithms[static_cast<std::size_t>(n)], r);
        check_layout(n, algorithm_table::algorithms[static_cast<std::size_t>(n)], r);
    }
    if (r.failures != 0)
        return 1; // never write pictures from a table that contradicts the chip
    for (int n = 0; n < 8; ++n) {
        const std::vector<uint8_t> bytes = render(n);
        std::ofstream out(file_of(dir, n), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", file_of(dir, n).string().c_str());
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::string(argv[1]) == "--check")
            return check(argv[2]);
        if (argc == 2)
            return generate(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "draw_algorithms: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: draw_algorithms DIR | draw_algorithms --check DIR\n");
    return 2;
}
