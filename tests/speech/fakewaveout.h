// A wave-output device for tests of what drives a device: it logs every call, can be told to
// fail, and reports a buffer as played only when the test says so (Complete), as the event
// loop would.
#pragma once

#include "speech/waveout.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace speechtest {

struct DeviceLog {
    std::vector<std::string> Calls;   // "open", "write 1", "pause", "restart", "reset", "close"
    std::vector<std::string> Buffers; // the samples of every write
    std::vector<std::uint64_t> Tags;
    tavi::TSoundFormat Format;
    std::set<std::string> Failing; // calls that fail
    bool Open = false;
    bool Queues = false;    // the device takes a buffer while another plays
    std::size_t Played = 0; // bytes of the oldest buffer heard, as the device reports it
    std::function<void(std::uint64_t)> Done; // the owner's OnDone, for Complete

    // Reports the buffer written with this tag (the last one when 0) as played.
    void Complete(std::uint64_t tag = 0) {
        if (tag == 0) tag = Tags.back();
        Done(tag);
    }
};

class FakeWaveOut : public tavi::TWaveOut {
public:
    explicit FakeWaveOut(std::shared_ptr<DeviceLog> log) : Log(std::move(log)) {}
    ~FakeWaveOut() override {
        Log->Done = [](std::uint64_t) {};
    }

    bool Open(const tavi::TSoundFormat& format) override {
        Log->Format = format;
        Log->Open = Call("open");
        return Log->Open ? Succeed() : Fail("open failed");
    }
    bool Write(std::string_view samples, std::uint64_t tag) override {
        if (!Log->Open) return Fail("write to a closed device");
        if (!Call("write")) return Fail("write failed");
        Log->Buffers.emplace_back(samples);
        Log->Tags.push_back(tag);
        Log->Done = OnDone;
        return Succeed();
    }
    bool Queues() const override { return Log->Queues; }
    std::size_t Played() const override { return Log->Played; }
    bool Pause() override { return Call("pause") ? Succeed() : Fail("pause failed"); }
    bool Restart() override { return Call("restart") ? Succeed() : Fail("restart failed"); }
    bool Reset() override { return Call("reset") ? Succeed() : Fail("reset failed"); }
    bool Close() override {
        if (!Call("close")) return Fail("close failed");
        Log->Open = false;
        return Succeed();
    }
    bool IsOpen() const override { return Log->Open; }

private:
    bool Call(const std::string& name) {
        Log->Calls.push_back(name);
        return !Log->Failing.count(name);
    }
    std::shared_ptr<DeviceLog> Log;
};

// An audio system of fake devices that all log into one log.
class FakeAudioSystem : public tavi::TAudioSystem {
public:
    FakeAudioSystem(std::shared_ptr<DeviceLog> log, int devices)
        : Log(std::move(log)), Devices(devices) {}
    int DeviceCount() const override { return Devices; }
    std::unique_ptr<tavi::TWaveOut> CreateDevice() override {
        return std::make_unique<FakeWaveOut>(Log);
    }
    std::unique_ptr<tavi::TWaveOut> CreateFileDevice(const std::filesystem::path& file) override {
        Files.push_back(file.string());
        return std::make_unique<FakeWaveOut>(Log);
    }
    std::vector<std::string> Files;

private:
    std::shared_ptr<DeviceLog> Log;
    int Devices;
};

// Installs an audio system for the life of a test and puts the old one back.
class ScopedAudioSystem {
public:
    explicit ScopedAudioSystem(std::unique_ptr<tavi::TAudioSystem> system)
        : Old(tavi::SetAudioSystem(std::move(system))), OldVolume(tavi::OutputVolume()) {}
    ~ScopedAudioSystem() {
        tavi::SetAudioSystem(std::move(Old));
        tavi::SetOutputVolume(OldVolume);
    }

private:
    std::unique_ptr<tavi::TAudioSystem> Old;
    std::uint32_t OldVolume;
};

} // namespace speechtest
