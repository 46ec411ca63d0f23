// Processes that a test's fake program wrote down, one number a line, and which of them still
// run: a zombie has ended and only waits for its parent to note it.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tavitest {

inline std::vector<pid_t> NotedPids(const std::filesystem::path& file) {
    std::vector<pid_t> pids;
    std::ifstream in(file);
    for (pid_t pid; in >> pid;) pids.push_back(pid);
    return pids;
}

inline std::vector<pid_t> StillRunning(const std::filesystem::path& file) {
    std::vector<pid_t> running;
    for (pid_t pid : NotedPids(file)) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (std::getline(stat, line) && line.substr(line.rfind(')') + 2, 1) != "Z")
            running.push_back(pid);
    }
    return running;
}

} // namespace tavitest
