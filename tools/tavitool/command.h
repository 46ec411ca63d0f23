// The commands of tavitool. Each command lives in a file of its own and registers itself.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tavitool {

using Args = std::vector<std::string>;

struct Command {
    std::string usage;             // one line: the arguments
    std::function<int(Args&)> run; // returns the exit status
};

std::map<std::string, Command>& Commands();

struct Register {
    Register(const std::string& name, std::string usage, std::function<int(Args&)> run) {
        Commands()[name] = Command{std::move(usage), std::move(run)};
    }
};

// A command-line mistake: printed with the usage of the command, exit status 2.
struct UsageError {
    std::string message;
};

// Removes "--name VALUE" from args and returns VALUE (fallback when absent).
std::string TakeOption(Args& args, const std::string& name, const std::string& fallback = {});
// True when the flag "--name" was present (it is removed).
bool TakeFlag(Args& args, const std::string& name);
// Fails on any option left that the command did not take.
void NoMoreOptions(const Args& args);

// The whole of a file, or of standard input for an empty name or "-".
std::string ReadInput(const std::string& fileName);
// Writes to a file (replacing it safely) or to standard output for an empty name or "-".
void WriteOutput(const std::string& fileName, const std::string& bytes);

} // namespace tavitool
