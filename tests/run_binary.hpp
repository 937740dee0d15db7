// Runs the built tessadox binary with its seed pinned, and captures what it
// wrote and how it ended.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct run_request {
    std::vector<std::string> args{};
    std::string input{}; // standard input's bytes
    // SOURCE_DATE_EPOCH, which pins the seed; the clock seeds when it is unset
    std::optional<std::string> source_date_epoch = "1700000000";
    std::string stdin_path{};  // if set, standard input is this file ("-" closed)
    std::string stdout_path{}; // if set, standard output goes here ("-" closed)
    int stdin_fd = -1;         // if set, standard input is this descriptor; it is handed
                               // over: run_tessadox closes it once the child has it
    int seconds_allowed = 60;  // then the run is killed and the test fails
    std::vector<std::string> environment{}; // more VARIABLE=value settings
};

struct run_result {
    int status = -1; // exit status, or -1 after a signal
    int signal = 0;  // the signal that ended the run, if one did
    std::string out;
    std::string err;
};

run_result run_tessadox(const run_request& request);

// What a checksum tool prints for `data`, e.g. checksum_line("sha256sum", "abc").
std::string checksum_line(const std::string& tool, const std::string& data);
