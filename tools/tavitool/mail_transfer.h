// What the mail transfer commands share: the Qt event loop the network layer waits in, and the
// options every transfer takes.
#pragma once

#include "tavitool/command.h"

#include "mail/agsocket.h"

#include <QCoreApplication>

#include <iostream>
#include <string>

namespace tavitool {

// Only the transfer commands start Qt; the others never do.
class TQtEventLoop {
public:
    TQtEventLoop() : App(Argc, Argv) {}

private:
    int Argc = 1;
    char Name[9] = "tavitool";
    char* Argv[2] = {Name, nullptr};
    QCoreApplication App;
};

// --server (required) and --timeout SECONDS; --verbose shows the conversation on stderr.
inline void TakeTransferOptions(Args& args, tavi::TagSocket& client) {
    client.Server = TakeOption(args, "--server");
    if (client.Server.empty()) throw UsageError{"--server is required"};
    const std::string timeout = TakeOption(args, "--timeout", "60");
    try {
        std::size_t used = 0;
        const int seconds = std::stoi(timeout, &used);
        if (used != timeout.size() || seconds < 1) throw std::invalid_argument(timeout);
        client.SetTimeOut(seconds);
    } catch (const std::logic_error&) {
        throw UsageError{"--timeout must be a number of seconds"};
    }
    if (TakeFlag(args, "--verbose")) {
        client.OnReply = [](const std::string& line) { std::cerr << "S: " << line << "\n"; };
        client.OnSentLine = [](const std::string& line) { std::cerr << "C: " << line << "\n"; };
    }
}

} // namespace tavitool
