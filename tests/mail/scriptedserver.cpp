#include "mail/scriptedserver.h"

#include <arpa/inet.h>
#include <chrono>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace tavitest {

namespace {

// How long Lines() and the others wait for a conversation to end by itself.
constexpr auto FinishWait = std::chrono::seconds(15);

bool Readable(int fd, const std::atomic<bool>& stop) {
    while (!stop) {
        pollfd p{fd, POLLIN, 0};
        const int r = poll(&p, 1, 50);
        if (r > 0) return true;
        if (r < 0) return false;
    }
    return false;
}

} // namespace

TScriptedServer::TScriptedServer(const std::string& script) {
    Script(script);
}

TScriptedServer::~TScriptedServer() {
    FStop = true;
    if (FThread.joinable()) FThread.join();
    if (FClient >= 0) close(FClient);
    if (FListen >= 0) close(FListen);
}

TScriptedServer& TScriptedServer::Script(const std::string& script) {
    std::istringstream in(script);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos) continue;
        line.erase(0, start);
        const std::string word = line.substr(0, line.find(' '));
        const std::string rest = line.size() > word.size() + 1 ? line.substr(word.size() + 1) : "";
        if (word == "S")
            FSteps.push_back({Step::Say, rest});
        else if (word == "C")
            FSteps.push_back({Step::Expect, rest});
        else if (word == "DATA")
            FSteps.push_back({Step::ReadData, {}});
        else if (word == "CLOSE")
            FSteps.push_back({Step::Close, {}});
        else if (word == "RESET")
            FSteps.push_back({Step::Reset, {}});
        else if (word == "STALL")
            FSteps.push_back({Step::Stall, {}});
        else if (word == "PAUSE")
            FSteps.push_back({Step::Pause, rest});
        else if (word == "QUIET")
            FSteps.push_back({Step::Quiet, {}});
        else if (word == "DRIP")
            FSteps.push_back({Step::Drip, rest});
        else
            throw std::invalid_argument("bad script line: " + line);
    }
    return *this;
}

TScriptedServer& TScriptedServer::Raw(std::string bytes) {
    FSteps.push_back({Step::Send, std::move(bytes)});
    return *this;
}

void TScriptedServer::Start(const std::string& address) {
    FListen = socket(AF_INET, SOCK_STREAM, 0);
    if (FListen < 0) throw std::runtime_error("socket failed");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    if (inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1)
        throw std::invalid_argument("not an IPv4 address: " + address);
    socklen_t len = sizeof addr;
    if (bind(FListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(FListen, 1) != 0 ||
        getsockname(FListen, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("cannot listen on " + address);
    FPort = ntohs(addr.sin_port);
    FHost = address;
    FThread = std::thread([this] { Run(); });
}

bool TScriptedServer::SendAll(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size() && !FStop) {
        const ssize_t n = send(FClient, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

void TScriptedServer::Drip(const std::string& step) {
    const std::size_t blank = step.find(' ');
    const auto gap = std::chrono::milliseconds(std::stoi(step.substr(0, blank)));
    const std::string text = (blank == std::string::npos ? "" : step.substr(blank + 1)) + "\r\n";
    for (const char c : text) {
        // The client closing shows as the end of what it sends.
        char next = 0;
        if (FStop || recv(FClient, &next, 1, MSG_PEEK | MSG_DONTWAIT) == 0) return;
        if (!SendAll(std::string(1, c))) return;
        std::this_thread::sleep_for(gap);
    }
}

bool TScriptedServer::ReadLine(std::string& line) {
    for (;;) {
        const std::size_t lf = FBuffer.find('\n');
        if (lf != std::string::npos) {
            line = FBuffer.substr(0, lf);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            FBuffer.erase(0, lf + 1);
            return true;
        }
        if (!Readable(FClient, FStop)) return false;
        char buf[4096];
        const ssize_t n = recv(FClient, buf, sizeof buf, 0);
        if (n <= 0) {
            std::lock_guard lock(FMutex);
            FClientClosed = true;
            return false;
        }
        FBuffer.append(buf, static_cast<std::size_t>(n));
    }
}

void TScriptedServer::Run() {
    if (!Readable(FListen, FStop)) {
        FDone = true;
        return;
    }
    FClient = accept(FListen, nullptr, nullptr);
    if (FClient < 0) {
        FDone = true;
        return;
    }
    bool open = true;
    for (const Step& step : FSteps) {
        if (!open || FStop || step.kind == Step::Stall) break;
        std::string line;
        switch (step.kind) {
        case Step::Say: SendAll(step.text + "\r\n"); break;
        case Step::Send: SendAll(step.text); break;
        case Step::Expect: {
            const bool got = ReadLine(line);
            std::lock_guard lock(FMutex);
            if (got) FLines.push_back(line);
            if (!got)
                FMismatches.push_back("connection ended, expected " + step.text);
            else if (line.rfind(step.text, 0) != 0)
                FMismatches.push_back("expected " + step.text + ", got " + line);
            open = got;
            break;
        }
        case Step::ReadData: {
            std::string data;
            bool got = false;
            while ((got = ReadLine(line)) && line != ".") data += line + "\r\n";
            std::lock_guard lock(FMutex);
            FData.push_back(data);
            if (!got) FMismatches.push_back("connection ended inside DATA");
            open = got;
            break;
        }
        case Step::Reset: {
            linger l{1, 0};
            setsockopt(FClient, SOL_SOCKET, SO_LINGER, &l, sizeof l);
            close(FClient);
            FClient = -1;
            open = false;
            break;
        }
        case Step::Close:
            close(FClient);
            FClient = -1;
            open = false;
            break;
        case Step::Pause:
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(step.text)));
            break;
        case Step::Quiet: {
            pollfd p{FClient, POLLIN, 0};
            if (!FBuffer.empty() || poll(&p, 1, 0) > 0) {
                std::lock_guard lock(FMutex);
                FMismatches.push_back("the client spoke too early");
            }
            break;
        }
        case Step::Drip: Drip(step.text); break;
        case Step::Stall: break;
        }
    }
    // Whatever the client still says, until it closes.
    for (std::string line; open && ReadLine(line);) {
        std::lock_guard lock(FMutex);
        FLines.push_back(line);
    }
    FDone = true;
}

void TScriptedServer::Finish() {
    const auto until = std::chrono::steady_clock::now() + FinishWait;
    while (!FDone && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    FStop = true;
    if (FThread.joinable()) FThread.join();
}

const std::vector<std::string>& TScriptedServer::Lines() {
    Finish();
    return FLines;
}

const std::vector<std::string>& TScriptedServer::Mismatches() {
    Finish();
    return FMismatches;
}

const std::vector<std::string>& TScriptedServer::Data() {
    Finish();
    return FData;
}

bool TScriptedServer::ClientClosed() {
    Finish();
    return FClientClosed;
}

std::string OutwardAddress() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return {};
    std::string found;
    for (const ifaddrs* a = list; a && found.empty(); a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET || !(a->ifa_flags & IFF_UP) ||
            (a->ifa_flags & IFF_LOOPBACK))
            continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
        if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) found = text;
    }
    freeifaddrs(list);
    return found;
}

} // namespace tavitest
