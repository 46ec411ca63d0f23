// tavitool: the command-line companion of the editor.
#include "tavitool/command.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace tavitool {

std::map<std::string, Command>& Commands() {
    static std::map<std::string, Command> commands;
    return commands;
}

std::string TakeOption(Args& args, const std::string& name, const std::string& fallback) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            if (i + 1 >= args.size()) throw UsageError{name + " needs a value"};
            std::string value = args[i + 1];
            args.erase(args.begin() + static_cast<long>(i),
                       args.begin() + static_cast<long>(i) + 2);
            return value;
        }
        if (args[i].rfind(name + "=", 0) == 0) {
            std::string value = args[i].substr(name.size() + 1);
            args.erase(args.begin() + static_cast<long>(i));
            return value;
        }
    }
    return fallback;
}

bool TakeFlag(Args& args, const std::string& name) {
    for (std::size_t i = 0; i < args.size(); ++i)
        if (args[i] == name) {
            args.erase(args.begin() + static_cast<long>(i));
            return true;
        }
    return false;
}

void NoMoreOptions(const Args& args) {
    for (const auto& a : args)
        if (a.size() > 2 && a.rfind("--", 0) == 0) throw UsageError{"unknown option " + a};
}

std::string ReadInput(const std::string& fileName) {
    if (fileName.empty() || fileName == "-") {
        std::ios::sync_with_stdio(false);
        return std::string(std::istreambuf_iterator<char>(std::cin),
                           std::istreambuf_iterator<char>());
    }
    std::ifstream in(fileName, std::ios::binary);
    if (!in || std::filesystem::is_directory(fileName))
        throw std::runtime_error("Cannot open file " + fileName);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteOutput(const std::string& fileName, const std::string& bytes) {
    if (fileName.empty() || fileName == "-") {
        std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::cout.flush();
        if (!std::cout) throw std::runtime_error("Cannot write to standard output");
        return;
    }
    // Write beside the target and rename, so a failed write never leaves half a file.
    const std::string temp = fileName + ".tmp~";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) throw std::runtime_error("Cannot create file " + fileName);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temp.c_str());
            throw std::runtime_error("Cannot write file " + fileName);
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, fileName, ec);
    if (ec) {
        std::remove(temp.c_str());
        throw std::runtime_error("Cannot write file " + fileName + ": " + ec.message());
    }
}

} // namespace tavitool

static void PrintUsage(std::ostream& out) {
    out << "usage: tavitool COMMAND [ARGUMENTS]\n       tavitool --version\n\ncommands:\n";
    for (const auto& [name, cmd] : tavitool::Commands())
        out << "  " << name << " " << cmd.usage << "\n";
}

int main(int argc, char** argv) {
    using namespace tavitool;
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "help") {
        PrintUsage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    if (std::string(argv[1]) == "--version") {
        std::cout << "tavitool " << TAVI_VERSION << "\n";
        return 0;
    }
    const std::string name = argv[1];
    auto it = Commands().find(name);
    if (it == Commands().end()) {
        std::cerr << "tavitool: unknown command " << name << "\n";
        PrintUsage(std::cerr);
        return 2;
    }
    Args args(argv + 2, argv + argc);
    try {
        return it->second.run(args);
    } catch (const UsageError& e) {
        std::cerr << "tavitool " << name << ": " << e.message << "\nusage: tavitool " << name << " "
                  << it->second.usage << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "tavitool " << name << ": " << e.what() << "\n";
        return 1;
    }
}
