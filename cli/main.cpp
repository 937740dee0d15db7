// Tessadox: draws the attractor of the affine maps that a hexadecimal
// checksum on standard input defines, as a PNG stream on standard output,
// or as coloured text when standard output is a terminal.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "environment.hpp"
#include "failures.hpp"
#include "hints.hpp"
#include "options.hpp"
#include "progress.hpp"
#include "standard_input.hpp"
#include "standard_output.hpp"
#include "terminal.hpp"
#include "tessadox/tessadox.h"

int main(int argc, char** argv) {
    const std::unique_ptr<tessadox_options, void (*)(tessadox_options*)> owned(
        tessadox_options_new(), tessadox_options_free);
    tessadox_options* options = owned.get();
    if (options == nullptr) {
        report_failure(TESSADOX_E_NO_MEMORY, "");
        return 1;
    }
    const int refusal = parse_options(argc, argv, options);
    tessadox_options_set(options, TESSADOX_SEED,
                         run_seed(std::getenv("SOURCE_DATE_EPOCH"), std::time(nullptr)));
    tessadox_options_set(options, TESSADOX_THREADS,
                         requested_threads(std::getenv("TESSADOX_THREADS")));

    // Advice for a terminal on standard input comes before the read waits.
    long long checksum_length = 0;
    tessadox_options_get(options, TESSADOX_CHECKSUM_LENGTH, &checksum_length);
    const int length = static_cast<int>(checksum_length);
    const bool typed = is_terminal(STDIN_FILENO);
    int lines_said = 0;
    if (typed) {
        lines_said += show_hint(input_hint({}, {}, length, true));
    }
    const std::string characters = read_checksum(stdin, tessadox_checksum_bytes(options));
    if (!typed) {
        lines_said += show_hint(input_hint(characters, characters_at_hand(stdin), length, false));
    }

    tessadox_picture* drawn = nullptr;
    long long steps = 0;
    tessadox_plotting_steps(options, &steps);
    progress_meter progress = start_progress_on_standard_error(steps);
    const int drawing = refusal != TESSADOX_OK
                            ? refusal
                            : tessadox_draw(characters.data(), characters.size(), options,
                                            report_progress_to, &progress, &drawn);
    finish_progress(progress);
    if (drawing != TESSADOX_OK) {
        report_failure(drawing, "");
        return 1;
    }

    // A run that wrote no picture does not report success.
    const int status = is_terminal(STDOUT_FILENO) ? show_picture_on_terminal(drawn, lines_said)
                                                  : write_png_to_standard_output(drawn);
    tessadox_picture_free(drawn);
    return status;
}
