// A mail server on a loopback port that plays a written conversation with one client, in a
// thread of its own, and records what the client said. Script lines:
//   S text     send text and CR LF
//   C prefix   read a line; it must start with prefix (else the mismatch is recorded)
//   DATA       read lines up to the line "." (an SMTP message); kept in Data()
//   CLOSE      close the connection
//   RESET      close it with a reset (RST)
//   STALL      say nothing more, keep the connection open until the client closes it
//   PAUSE ms   wait that long
//   DRIP ms text   send text and CR LF a byte at a time, ms apart (until the client goes)
//   QUIET      the client must not have sent anything yet (else a mismatch is recorded)
// Raw(bytes) adds bytes to send as they are. After the last step the server waits for the
// client to close, reading (and recording) whatever it still sends.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavitest {

class TScriptedServer {
public:
    explicit TScriptedServer(const std::string& script = {});
    ~TScriptedServer();
    TScriptedServer(const TScriptedServer&) = delete;
    TScriptedServer& operator=(const TScriptedServer&) = delete;

    // Steps added before Start.
    TScriptedServer& Script(const std::string& script);
    TScriptedServer& Raw(std::string bytes);

    // Listens on the IPv4 address given and plays the script in the background.
    void Start(const std::string& address = "127.0.0.1");
    std::uint16_t Port() const { return FPort; }
    std::string Address() const { return FHost + ":" + std::to_string(FPort); }

    // Waits for the conversation to end (the client closed, or at most a few seconds), then:
    // every line the client sent, the mismatches of C steps, and the DATA blocks as received.
    const std::vector<std::string>& Lines();
    const std::vector<std::string>& Mismatches();
    const std::vector<std::string>& Data();
    // Whether the client closed the connection.
    bool ClientClosed();

private:
    struct Step {
        enum Kind { Say, Expect, ReadData, Close, Reset, Stall, Send, Pause, Quiet, Drip } kind;
        std::string text;
    };
    void Run();
    void Finish();
    // One line from the client without its CR LF; false when it closed or the server stops.
    bool ReadLine(std::string& line);
    // False when the client is gone.
    bool SendAll(const std::string& bytes);
    void Drip(const std::string& step);

    std::vector<Step> FSteps;
    int FListen = -1;
    int FClient = -1;
    std::uint16_t FPort = 0;
    std::string FHost;
    std::thread FThread;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FDone{false};
    std::mutex FMutex;
    std::vector<std::string> FLines;
    std::vector<std::string> FMismatches;
    std::vector<std::string> FData;
    bool FClientClosed = false;
    std::string FBuffer;
};

// An IPv4 address of this machine that is not a loopback address (the first of an interface that
// is up); empty when it has none.
std::string OutwardAddress();

} // namespace tavitest
