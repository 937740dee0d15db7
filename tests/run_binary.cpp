#include "run_binary.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

std::string temp_path(const char* name) {
    return std::string("/tmp/tessadox-test-") + std::to_string(getpid()) + "-" + name;
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// In the child: puts `path` (or nothing, for "-") on descriptor `fd`.
void redirect(int fd, const std::string& path, int flags) {
    close(fd);
    if (path == "-") {
        return;
    }
    const int opened = open(path.c_str(), flags, 0600);
    if (opened < 0) {
        _exit(126);
    }
    if (opened != fd) {
        dup2(opened, fd);
        close(opened);
    }
}

// Waits for the child to end, for at most `seconds`: a run that hangs is
// killed, and the test that started it fails rather than hang the suite.
int wait_for(pid_t child, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int wait_status = 0;
    while (waitpid(child, &wait_status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &wait_status, 0);
            ADD_FAILURE() << "tessadox ran longer than " << seconds << " s and was killed";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return wait_status;
}

} // namespace

run_result run_tessadox(const run_request& request) {
    const std::string in = temp_path("in"), out = temp_path("out"), err = temp_path("err");
    write_file(in, request.input);
    const std::string stdin_path = request.stdin_path.empty() ? in : request.stdin_path;
    const std::string stdout_path = request.stdout_path.empty() ? out : request.stdout_path;

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(TESSADOX_BINARY));
    for (const std::string& arg : request.args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<std::string> environment;
    if (request.source_date_epoch) {
        environment.push_back("SOURCE_DATE_EPOCH=" + *request.source_date_epoch);
    }
    environment.insert(environment.end(), request.environment.begin(), request.environment.end());
    for (const char* kept : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS"}) {
        if (const char* value = std::getenv(kept)) {
            environment.push_back(std::string(kept) + "=" + value);
        }
    }
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        if (request.stdin_fd >= 0) {
            dup2(request.stdin_fd, 0);
        } else {
            redirect(0, stdin_path, O_RDONLY);
        }
        redirect(1, stdout_path, O_WRONLY | O_CREAT | O_TRUNC);
        redirect(2, err, O_WRONLY | O_CREAT | O_TRUNC);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (request.stdin_fd >= 0) {
        close(request.stdin_fd);
    }
    const int wait_status = wait_for(child, request.seconds_allowed);

    run_result result;
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    result.signal = WIFSIGNALED(wait_status) ? WTERMSIG(wait_status) : 0;
    result.out = request.stdout_path.empty() ? read_file(out) : "";
    result.err = read_file(err);
    for (const std::string& path : {in, out, err}) {
        unlink(path.c_str());
    }
    return result;
}

std::string checksum_line(const std::string& tool, const std::string& data) {
    const std::string file = temp_path("data");
    write_file(file, data);
    const std::string command = tool + " " + file;
    FILE* pipe = popen(command.c_str(), "r");
    std::string line;
    char buffer[256];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        line += buffer;
    }
    if (pipe == nullptr || pclose(pipe) != 0) {
        throw std::runtime_error(command + " failed");
    }
    unlink(file.c_str());
    return line;
}
