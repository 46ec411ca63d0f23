// What the mail transfer commands share: the Qt event loop the network layer waits in, and the
// options every transfer takes.
#pragma once

#include "tavitool/command.h"

#include "mail/agsocket.h"
#include "mail/tlsmode.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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

// The account of a transfer: --user and its password.
struct TLogin {
    std::string User;
    std::string Password;
};

inline constexpr const char* PasswordOptions =
    "--password-file FILE, TAVI_MAIL_PASSWORD or --password TEXT";

// The first line of a file (or pipe), without its line end.
inline std::string ReadPasswordFile(const std::string& fileName) {
    errno = 0;
    std::ifstream in(fileName, std::ios::binary);
    std::string line;
    if (in && !std::filesystem::is_directory(fileName)) {
        std::getline(in, line);
        if (!in.bad()) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
    }
    const int error = errno ? errno : EISDIR;
    throw std::runtime_error("Cannot read the password file " + fileName + ": " +
                             std::strerror(error));
}

// --server (required), --timeout SECONDS, --tls none|starttls|implicit (unset: the default for
// the port), --ca-file FILE; --verbose shows the conversation on stderr. Returns --user and the
// password: from --password-file, else --password (with a warning: other users of the machine
// see command lines), else $TAVI_MAIL_PASSWORD.
inline TLogin TakeTransferOptions(Args& args, tavi::TagSocket& client) {
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
    const std::string tls = TakeOption(args, "--tls");
    if (!tls.empty()) {
        client.Tls = tavi::ParseTlsMode(tls);
        if (!client.Tls) throw UsageError{"--tls must be none, starttls or implicit"};
    }
    client.CaFile = TakeOption(args, "--ca-file");
    if (TakeFlag(args, "--verbose")) {
        client.OnReply = [](const std::string& line) { std::cerr << "S: " << line << "\n"; };
        client.OnSentLine = [](const std::string& line) { std::cerr << "C: " << line << "\n"; };
    }

    TLogin login;
    login.User = TakeOption(args, "--user");
    const std::string file = TakeOption(args, "--password-file");
    const std::string given = TakeOption(args, "--password");
    if (!file.empty() && !given.empty())
        throw UsageError{"give either --password-file or --password"};
    if (!file.empty()) {
        login.Password = ReadPasswordFile(file);
    } else if (!given.empty()) {
        std::cerr << "tavitool: warning: a password given with --password is visible to other "
                     "users of this machine; use --password-file or TAVI_MAIL_PASSWORD\n";
        login.Password = given;
    } else if (const char* env = std::getenv("TAVI_MAIL_PASSWORD")) {
        login.Password = env;
    }
    return login;
}

} // namespace tavitool
