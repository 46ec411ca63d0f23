// The requests to end that come as signals (SIGTERM at logout or shutdown, SIGHUP when the
// terminal closes, SIGINT for Ctrl+C), delivered on the user-interface thread: a signal
// handler may do no more than write to a pipe.
#pragma once

#include <QObject>

namespace tavi {

class TEndSignals : public QObject {
    Q_OBJECT
public:
    // Catches the three signals for the program's life (one object at a time).
    explicit TEndSignals(QObject* parent = nullptr);
    ~TEndSignals() override;

signals:
    void EndRequested(int signal);

private:
    void Read();
    int Pipe[2] = {-1, -1};
};

} // namespace tavi
