#include "platform/endsignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tavi {

namespace {

constexpr int EndSignals[] = {SIGTERM, SIGHUP, SIGINT};
int WriteEnd = -1;

void OnSignal(int signal) {
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(WriteEnd, &byte, 1);
}

} // namespace

TEndSignals::TEndSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, Pipe) != 0) return;
    WriteEnd = Pipe[1];
    auto* notifier = new QSocketNotifier(Pipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { Read(); });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : EndSignals) ::sigaction(signal, &action, nullptr);
}

TEndSignals::~TEndSignals() {
    for (int signal : EndSignals) std::signal(signal, SIG_DFL);
    WriteEnd = -1;
    for (int fd : Pipe)
        if (fd >= 0) ::close(fd);
}

void TEndSignals::Read() {
    char byte = 0;
    while (::read(Pipe[0], &byte, 1) == 1) emit EndRequested(static_cast<unsigned char>(byte));
}

} // namespace tavi
