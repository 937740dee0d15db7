// Tessadox: draws the attractor of the affine maps that a hexadecimal
// checksum on standard input defines, as a PNG stream on standard output,
// or as coloured text when standard output is a terminal.
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "fingerprint.hpp"
#include "hints.hpp"
#include "options.hpp"
#include "png_output.hpp"
#include "render.hpp"
#include "terminal.hpp"

int main(int argc, char** argv) {
    parse_options(argc, argv);
    // Seeded by the second: runs within one second give identical bytes.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    // A hint for a terminal on standard input comes before the read waits.
    const bool typed = is_terminal(STDIN_FILENO);
    if (typed) {
        show_hint(input_hint({}, {}, checksum_length, true));
    }
    const std::string checksum_text = read_checksum();
    if (!typed) {
        show_hint(input_hint(checksum_text, {}, checksum_length, false));
    }
    build_maps();
    render();
    if (is_terminal(STDOUT_FILENO)) {
        // Settings that the PNG writer refuses end the run the same way here.
        if (png_refuses(resolution, transparent == 1, background)) {
            on_png_warning(nullptr, nullptr);
        }
        const picture_look look{flip_bgr == 1, transparent == 1,
                                static_cast<std::uint8_t>(background & 0xFF)};
        draw_on_terminal(picture_view{image[0], resolution, image_stride}, look);
        return 0;
    }
    // A run that wrote no picture does not report success.
    return write_png() == 0 ? 0 : 1;
}
