// Tessadox: draws the attractor of the affine maps that a hexadecimal
// checksum on standard input defines, as a PNG stream on standard output.
#include <cstdlib>
#include <ctime>

#include "fingerprint.hpp"
#include "options.hpp"
#include "png_output.hpp"
#include "render.hpp"

int main(int argc, char** argv) {
    parse_options(argc, argv);
    // Seeded by the second: runs within one second give identical bytes.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    read_checksum();
    build_maps();
    render();
    // A run that wrote no picture does not report success.
    return write_png() == 0 ? 0 : 1;
}
