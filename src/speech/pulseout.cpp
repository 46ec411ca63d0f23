#include "speech/pulseout.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>

namespace tavi {

namespace {

// How long a connection attempt may take before it is given up, and how long after a failure
// the next one starts: a server that restarts is found again within a couple of seconds.
constexpr int ConnectTimeoutMs = 3000;
constexpr int RetryMs = 1000;
// How long a text waits for a connection under way before it plays in silence.
constexpr qint64 GraceMs = 500;
// A stream that takes no sound for this long has a server that no longer plays; after such a
// stall no stream is tried for a while, so that a server that hangs costs one wait, not one a key.
constexpr qint64 StallMs = 3000;
constexpr qint64 QuietAfterStallMs = 10000;
// What the server is asked to hold ahead of the speaker: short, so that a key is heard at once.
constexpr std::uint64_t TargetUsec = 50000;
constexpr std::uint64_t RequestUsec = 10000;

qint64 NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The one connection of the program, on libpulse's own thread. Everything here is touched only
// under the loop's lock. It is never destroyed: its thread may still run while the program's
// statics are torn down.
class TServer {
public:
    // Started by the first sound, not before: the English engine changes the environment
    // while it starts, which libpulse reads as it connects.
    static TServer& Get() {
        static TServer* server = new TServer;
        return *server;
    }
    void Lock() { pa_threaded_mainloop_lock(Loop); }
    void Unlock() { pa_threaded_mainloop_unlock(Loop); }

    enum class TState { Connecting, Ready, Down };
    // The state of the connection, under the lock.
    TState State() const { return Context ? Now : TState::Down; }
    pa_context* ReadyContext() const { return Now == TState::Ready ? Context : nullptr; }
    bool Quiet() const { return NowMs() < QuietUntil; }
    // Whether a text should wait for the connection under way: only for the first attempt
    // after the start or a loss, not while a server that never answers is tried again and again.
    bool WorthWaiting() const { return State() == TState::Connecting && Failures == 0; }
    // A stream of this connection stopped playing: the server is dropped and found again later.
    void Stalled() {
        QuietUntil = NowMs() + QuietAfterStallMs;
        Drop();
        ++Failures;
        After(RetryMs);
    }

private:
    TServer() : Loop(pa_threaded_mainloop_new()) {
        Api = pa_threaded_mainloop_get_api(Loop);
        pa_threaded_mainloop_start(Loop);
        Lock();
        Connect();
        Unlock();
    }

    void Connect() {
        Drop();
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Tavi");
        pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "tavi");
        pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "a11y");
        Context = pa_context_new_with_proplist(Api, "Tavi", props);
        pa_proplist_free(props);
        if (!Context) return After(RetryMs);
        Now = TState::Connecting;
        pa_context_set_state_callback(Context, &TServer::OnState, this);
        // Never starts a server of its own: the user's session has one, or none is wanted.
        if (pa_context_connect(Context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            Drop();
            return After(RetryMs);
        }
        After(ConnectTimeoutMs);
    }

    void Drop() {
        if (!Context) return;
        pa_context_set_state_callback(Context, nullptr, nullptr);
        pa_context_disconnect(Context);
        pa_context_unref(Context);
        Context = nullptr;
        Now = TState::Down;
    }

    // One timer serves both the time limit of an attempt and the wait before the next.
    void After(int ms) {
        timeval when;
        pa_timeval_add(pa_gettimeofday(&when), static_cast<pa_usec_t>(ms) * 1000);
        if (Timer)
            Api->time_restart(Timer, &when);
        else
            Timer = Api->time_new(Api, &when, &TServer::OnTimer, this);
    }

    static void OnState(pa_context* c, void* self) {
        auto* s = static_cast<TServer*>(self);
        switch (pa_context_get_state(c)) {
        case PA_CONTEXT_READY:
            s->Now = TState::Ready;
            s->Failures = 0;
            s->Api->time_restart(s->Timer, nullptr);
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            // A connection that worked and was lost is sought at once, as if new.
            if (s->Now != TState::Ready) ++s->Failures;
            s->Drop();
            s->After(RetryMs);
            break;
        default: break;
        }
    }

    static void OnTimer(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
        auto* s = static_cast<TServer*>(self);
        s->Api->time_restart(s->Timer, nullptr);
        // An attempt that has not answered in time is given up like one that failed.
        if (s->State() == TState::Ready) return;
        if (s->State() == TState::Connecting) ++s->Failures;
        s->Connect();
    }

    pa_threaded_mainloop* Loop;
    pa_mainloop_api* Api = nullptr;
    pa_context* Context = nullptr;
    TState Now = TState::Down;
    pa_time_event* Timer = nullptr;
    qint64 QuietUntil = 0;
    int Failures = 0; // attempts in a row that found no server
};

struct TLocked {
    TLocked() { TServer::Get().Lock(); }
    ~TLocked() { TServer::Get().Unlock(); }
    TLocked(const TLocked&) = delete;
    TLocked& operator=(const TLocked&) = delete;
};

} // namespace

bool PulseServerReady() {
    TLocked lock;
    return TServer::Get().State() == TServer::TState::Ready;
}

// What the device hands the server, shared with libpulse's thread under the loop's lock.
struct TPulseFeed {
    pa_stream* Stream = nullptr;
    std::size_t Frame = 1;
    std::uint64_t BytesPerSec = 1;
    std::string Pending;         // bytes not handed over yet, from Taken on
    std::size_t Taken = 0;       // bytes of Pending already handed over
    std::uint64_t PendingAt = 0; // the position of Pending[Taken]
    std::uint64_t StreamBase = 0;
    std::int64_t Skew = 0; // how far the stream's clock ran on while it had nothing to play
    bool Dry = true;

    std::size_t Left() const { return Pending.size() - Taken; }

    std::int64_t StreamBytes() const {
        pa_usec_t usec = 0;
        if (!Stream || pa_stream_get_time(Stream, &usec) < 0) return 0;
        const auto bytes = static_cast<std::int64_t>(usec * BytesPerSec / 1000000);
        return bytes - bytes % static_cast<std::int64_t>(Frame);
    }

    // Hands the server what it asks for, never more: what it holds is what a stop cuts off late.
    void Push() {
        if (!Stream || pa_stream_get_state(Stream) != PA_STREAM_READY) return;
        std::size_t n = pa_stream_writable_size(Stream);
        if (n == static_cast<std::size_t>(-1)) return;
        n = std::min(n, Left());
        n -= n % Frame;
        if (n == 0) return;
        const bool starting = Dry;
        if (starting) {
            // The clock of a stream that ran dry may have gone on without sound.
            Skew = StreamBytes() - static_cast<std::int64_t>(PendingAt - StreamBase);
            Dry = false;
        }
        if (pa_stream_write(Stream, Pending.data() + Taken, n, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        Taken += n;
        PendingAt += n;
        if (Taken > Pending.size() / 2) {
            Pending.erase(0, Taken);
            Taken = 0;
        }
        // The server may ask for less than it waits for before it starts: a start is played at
        // once, and so is an end shorter than that.
        if (starting || Left() == 0) {
            if (pa_operation* op = pa_stream_trigger(Stream, nullptr, nullptr))
                pa_operation_unref(op);
        }
    }

    // Skips bytes that were played to no one (in silence).
    void SkipTo(std::uint64_t position) {
        if (position <= PendingAt) return;
        const std::size_t n = std::min<std::uint64_t>(position - PendingAt, Left());
        Taken += n;
        PendingAt = position;
        if (Left() == 0) {
            Pending.clear();
            Taken = 0;
        }
    }

    static void OnWritable(pa_stream*, std::size_t, void* self) {
        static_cast<TPulseFeed*>(self)->Push();
    }
    static void OnUnderflow(pa_stream*, void* self) { static_cast<TPulseFeed*>(self)->Dry = true; }
};

TPulseWaveOut::TPulseWaveOut() : Feed(std::make_unique<TPulseFeed>()) {
    PollTimer.setInterval(10);
    QObject::connect(&PollTimer, &QTimer::timeout, this, [this] { Poll(); });
}

TPulseWaveOut::~TPulseWaveOut() {
    if (!Feed->Stream) return;
    TLocked lock;
    DropStream();
}

// Under the lock.
void TPulseWaveOut::DropStream() {
    if (!Feed->Stream) return;
    pa_stream_set_write_callback(Feed->Stream, nullptr, nullptr);
    pa_stream_set_underflow_callback(Feed->Stream, nullptr, nullptr);
    pa_stream_disconnect(Feed->Stream);
    pa_stream_unref(Feed->Stream);
    Feed->Stream = nullptr;
}

bool TPulseWaveOut::Open(const TSoundFormat& format) {
    if (Opened) Close();
    if (!IsPlayableFormat(format)) return Fail(BadFormatText);
    if (Feed->Stream && format.Bytes() != Format.Bytes()) {
        TLocked lock;
        DropStream();
    }
    Format = format;
    Opened = true;
    return Succeed();
}

bool TPulseWaveOut::Write(std::string_view samples, std::uint64_t tag) {
    if (!Opened) return Fail(NotOpenText);
    const std::string scaled = ScaleSamples(Format, samples, OutputVolume());
    const bool starting = Queue.empty();
    TLocked lock;
    if (starting) {
        // Nothing plays: the new sound starts from here, whatever the last one reached.
        LastHeard = HeadStart = Total;
        Feed->SkipTo(Total);
    }
    Feed->Pending.append(scaled);
    Total += scaled.size();
    Queue.push_back({tag, Total});
    if (starting) {
        const auto state = TServer::Get().State();
        if (state == TServer::TState::Ready && !TServer::Get().Quiet())
            ToServer();
        else if (TServer::Get().WorthWaiting()) {
            Mode = TRoute::Waiting;
            WaitingSince = NowMs();
        } else
            ToSilence(Total - scaled.size());
    }
    if (Mode == TRoute::Server) Feed->Push();
    Arm();
    return Succeed();
}

// Under the lock: plays from the position reached on a stream of the server, new if need be.
void TPulseWaveOut::ToServer() {
    pa_context* context = TServer::Get().ReadyContext();
    if (Feed->Stream) {
        const auto state = pa_stream_get_state(Feed->Stream);
        if ((state != PA_STREAM_READY && state != PA_STREAM_CREATING) ||
            pa_stream_get_context(Feed->Stream) != context)
            DropStream();
    }
    Feed->SkipTo(LastHeard);
    Feed->Frame = Format.BlockAlign;
    Feed->BytesPerSec = Format.AvgBytesPerSec;
    if (!Feed->Stream) {
        pa_sample_spec spec;
        spec.format = Format.BitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
        spec.rate = Format.SamplesPerSec;
        spec.channels = static_cast<std::uint8_t>(Format.Channels);
        pa_stream* s = pa_stream_new(context, "Speech", &spec, nullptr);
        if (!s) return ToSilence(LastHeard);
        pa_buffer_attr attr;
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(TargetUsec, &spec));
        attr.prebuf = static_cast<std::uint32_t>(-1);
        attr.minreq = static_cast<std::uint32_t>(pa_usec_to_bytes(RequestUsec, &spec));
        attr.fragsize = static_cast<std::uint32_t>(-1);
        pa_stream_set_write_callback(s, &TPulseFeed::OnWritable, Feed.get());
        pa_stream_set_underflow_callback(s, &TPulseFeed::OnUnderflow, Feed.get());
        auto flags = PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
                     PA_STREAM_NOT_MONOTONIC | PA_STREAM_ADJUST_LATENCY;
        if (Paused) flags |= PA_STREAM_START_CORKED;
        if (pa_stream_connect_playback(s, nullptr, &attr, static_cast<pa_stream_flags_t>(flags),
                                       nullptr, nullptr) < 0) {
            pa_stream_unref(s);
            return ToSilence(LastHeard);
        }
        Feed->Stream = s;
        Feed->StreamBase = Feed->PendingAt;
        Feed->Skew = 0;
    }
    // The stream's own count may have gone on while it had nothing: it is measured again at the
    // first sound handed over.
    Feed->Dry = true;
    Mode = TRoute::Server;
    StalledSince = 0;
}

// Plays on in silence from a position, as long as the sound would take.
void TPulseWaveOut::ToSilence(std::uint64_t from) {
    Mode = TRoute::Silent;
    SilentFrom = from;
    ClockBanked = 0;
    Clock.restart();
}

std::uint64_t TPulseWaveOut::Position() {
    std::uint64_t heard = LastHeard;
    switch (Mode) {
    case TRoute::Waiting: break;
    case TRoute::Silent: {
        const qint64 ms = ClockBanked + (Paused ? 0 : Clock.elapsed());
        std::uint64_t bytes = static_cast<std::uint64_t>(ms) * Format.AvgBytesPerSec / 1000;
        bytes -= bytes % Format.BlockAlign;
        heard = std::min(SilentFrom + bytes, Total);
        Feed->SkipTo(heard);
        break;
    }
    case TRoute::Server: {
        // A stream that ran dry with nothing left to hand over has played it all.
        if (Feed->Dry && Feed->Left() == 0) {
            heard = Feed->PendingAt;
            break;
        }
        const std::int64_t bytes = Feed->StreamBytes() - (Feed->Dry ? 0 : Feed->Skew);
        heard = std::min<std::uint64_t>(Feed->StreamBase + std::max<std::int64_t>(bytes, 0),
                                        Feed->PendingAt);
        break;
    }
    }
    return std::max(heard, LastHeard);
}

void TPulseWaveOut::Arm() {
    if (!Queue.empty() && !Paused && !PollTimer.isActive()) PollTimer.start();
}

void TPulseWaveOut::Poll() {
    if (Queue.empty() || Paused) return PollTimer.stop();
    std::uint64_t heard;
    {
        TLocked lock;
        TServer& server = TServer::Get();
        const auto state = server.State();
        if (Mode == TRoute::Waiting) {
            if (state == TServer::TState::Ready)
                ToServer();
            else if (state == TServer::TState::Down || NowMs() - WaitingSince > GraceMs)
                ToSilence(LastHeard);
        } else if (Mode == TRoute::Server) {
            const auto streamState =
                Feed->Stream ? pa_stream_get_state(Feed->Stream) : PA_STREAM_FAILED;
            if (streamState == PA_STREAM_FAILED || streamState == PA_STREAM_TERMINATED) {
                // The server went away: what it had not played goes on in silence.
                DropStream();
                ToSilence(LastHeard);
            }
        } else if (state == TServer::TState::Ready && !server.Quiet()) {
            // A server is back: the rest is heard from the place reached.
            LastHeard = Position();
            ToServer();
        }
        heard = Position();
        if (Mode == TRoute::Server) {
            if (heard > LastHeard || heard >= Total) {
                StalledSince = 0;
            } else if (StalledSince == 0) {
                StalledSince = NowMs();
            } else if (NowMs() - StalledSince > StallMs) {
                DropStream();
                server.Stalled();
                ToSilence(heard);
            }
        }
        LastHeard = heard;
    }
    Deliver(heard);
}

// Reports the buffers heard to their end; the owner may write or reset from OnDone.
void TPulseWaveOut::Deliver(std::uint64_t heard) {
    while (!Queue.empty() && Queue.front().End <= heard) {
        const TQueued done = Queue.front();
        Queue.pop_front();
        HeadStart = done.End;
        if (OnDone) OnDone(done.Tag);
    }
    if (Queue.empty()) PollTimer.stop();
}

std::size_t TPulseWaveOut::Played() const {
    if (Queue.empty()) return 0;
    const std::uint64_t played = std::clamp(LastHeard, HeadStart, Queue.front().End) - HeadStart;
    return static_cast<std::size_t>(played);
}

bool TPulseWaveOut::Pause() {
    if (!Opened) return Fail(NotOpenText);
    if (Paused) return Succeed();
    TLocked lock;
    LastHeard = Position();
    Paused = true;
    if (Mode == TRoute::Silent) ClockBanked += Clock.elapsed();
    if (Feed->Stream) {
        if (pa_operation* op = pa_stream_cork(Feed->Stream, 1, nullptr, nullptr))
            pa_operation_unref(op);
    }
    PollTimer.stop();
    return Succeed();
}

bool TPulseWaveOut::Restart() {
    if (!Opened) return Fail(NotOpenText);
    if (!Paused) return Succeed();
    TLocked lock;
    Paused = false;
    Clock.restart();
    StalledSince = 0;
    if (Feed->Stream) {
        if (pa_operation* op = pa_stream_cork(Feed->Stream, 0, nullptr, nullptr))
            pa_operation_unref(op);
        Feed->Push();
    }
    Arm();
    return Succeed();
}

bool TPulseWaveOut::Reset() {
    TLocked lock;
    const bool playing = !Queue.empty() || Feed->Left() > 0;
    // The server may still hold the sound: only dropping the stream silences it at once.
    if (playing || Paused) DropStream();
    Queue.clear();
    Feed->Pending.clear();
    Feed->Taken = 0;
    Feed->PendingAt = Total;
    LastHeard = HeadStart = Total;
    Paused = false;
    PollTimer.stop();
    Mode = TRoute::Silent;
    ToSilence(Total);
    return Succeed();
}

bool TPulseWaveOut::Close() {
    Reset();
    Opened = false;
    return Succeed();
}

} // namespace tavi
