// Tessadox: draws the attractor of the affine maps that a hexadecimal
// checksum on standard input defines, as a PNG stream on standard output,
// or as coloured text when standard output is a terminal.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "environment.hpp"
#include "fingerprint.hpp"
#include "hints.hpp"
#include "options.hpp"
#include "png_output.hpp"
#include "progress.hpp"
#include "random_stream.hpp"
#include "render.hpp"
#include "standard_output.hpp"
#include "terminal.hpp"

int main(int argc, char** argv) {
    const settings run = parse_options(argc, argv);
    random_stream draws(run_seed(std::getenv("SOURCE_DATE_EPOCH"), std::time(nullptr)));
    const int threads = requested_threads(std::getenv("TESSADOX_THREADS"));

    // Advice for a terminal on standard input comes before the read waits.
    const bool typed = is_terminal(STDIN_FILENO);
    int lines_said = 0;
    if (typed) {
        lines_said += show_hint(input_hint({}, {}, run.checksum_length, true));
    }
    std::string characters;
    const std::vector<digit_group> digit_groups = read_checksum(stdin, run.map_count, &characters);
    if (!typed) {
        lines_said += show_hint(
            input_hint(characters, characters_at_hand(stdin), run.checksum_length, false));
    }

    const std::vector<affine_map> maps = build_maps(digit_groups);
    const std::int64_t steps = plotting_steps(run);
    progress_meter progress = start_progress_on_standard_error(steps);
    const picture drawn = render(run, maps, draws, plan_threads(threads, steps),
                                 progress_report{report_progress_to, &progress});
    finish_progress(progress);

    if (is_terminal(STDOUT_FILENO)) {
        show_picture_on_terminal(run, drawn, lines_said);
        return 0;
    }
    // A run that wrote no picture does not report success.
    if (write_png(run, drawn) != 0) {
        return 1;
    }
    close_standard_output();
    return 0;
}
