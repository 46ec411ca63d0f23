// A progress line on standard error for long runs, drawn only when standard error is a
// terminal: the share of the work done, redrawn at most five times a second. Lines printed
// meanwhile appear above it.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <string>

namespace tavitool {

class TProgress {
public:
    // files: how many files the run holds (0: one stream); bytes: the whole work.
    void Start(std::size_t files, std::uint64_t bytes) {
        Terminal = ::isatty(2) == 1;
        Files = files;
        Total = bytes;
        Begin = Last = Clock::now();
    }
    // Work done within the current file.
    void Add(std::uint64_t bytes) {
        Current += bytes;
        if (Terminal) Draw();
    }
    // The current file is done: all of its bytes count, however much of it was read.
    void FileDone(std::uint64_t bytes) {
        ++FilesDone;
        Done += bytes;
        Current = 0;
    }
    void Line(const std::string& text) {
        Clear();
        std::cerr << text << "\n";
    }
    void Finish() { Clear(); }

private:
    using Clock = std::chrono::steady_clock;

    void Draw() {
        const auto now = Clock::now();
        // Short runs show nothing; long ones a fresh line now and then.
        if (now - Begin < std::chrono::milliseconds(500) ||
            now - Last < std::chrono::milliseconds(200))
            return;
        Last = now;
        const std::uint64_t done = Done + Current;
        const std::uint64_t percent = Total ? std::min<std::uint64_t>(done * 100 / Total, 100) : 0;
        std::cerr << "\r\033[K" << percent << "%";
        if (Files) std::cerr << "  file " << FilesDone + 1 << " of " << Files;
        std::cerr << std::flush;
        Shown = true;
    }
    void Clear() {
        if (Shown) std::cerr << "\r\033[K" << std::flush;
        Shown = false;
    }

    bool Terminal = false;
    bool Shown = false;
    std::size_t Files = 0, FilesDone = 0;
    std::uint64_t Total = 0, Done = 0, Current = 0;
    Clock::time_point Begin, Last;
};

} // namespace tavitool
