// Tessadox: draws the attractor of the affine maps that a hexadecimal
// checksum on standard input defines, as a PNG stream on standard output.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "environment.hpp"
#include "fingerprint.hpp"
#include "options.hpp"
#include "plotting.hpp"
#include "png_output.hpp"
#include "random_stream.hpp"

int main(int argc, char** argv) {
    const settings run = parse_options(argc, argv);
    random_stream draws(run_seed(std::getenv("SOURCE_DATE_EPOCH"), std::time(nullptr)));
    const std::vector<digit_group> digit_groups = read_checksum(stdin, run.map_count);
    const std::vector<affine_map> maps = build_maps(digit_groups);
    const picture drawn = render(run, maps, draws);
    // A run that wrote no picture does not report success.
    return write_png(run, drawn) == 0 ? 0 : 1;
}
