// Runs the built tessadox binary with its clock pinned, and captures what it
// wrote and how it ended.
#pragma once

#include <string>
#include <vector>

struct run_request {
    std::vector<std::string> args{};
    std::string input{};       // standard input's bytes
    long clock = 1700000000;   // the second that time() answers
    std::string stdin_path{};  // if set, standard input is this file ("-" closed)
    std::string stdout_path{}; // if set, standard output goes here ("-" closed)
    int stdin_fd = -1;         // if set, standard input is this descriptor; it is handed
                               // over: run_tessadox closes it once the child has it
};

struct run_result {
    int status = -1; // exit status, or -1 after a signal
    std::string out;
    std::string err;
};

run_result run_tessadox(const run_request& request);

// What a checksum tool prints for `data`, e.g. checksum_line("sha256sum", "abc").
std::string checksum_line(const std::string& tool, const std::string& data);
