#include "speech/tts.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>

namespace tavi {

namespace {

using namespace ttsresult;

const std::map<int, const char*>& Messages() {
    static const std::map<int, const char*> messages = {
        {62300, "The Active property must be FALSE before you can set the %s property"},
        {62301, "The value specified for the AudioDeviceID is outside the range of available IDs"},
        {62302, "The value assigned to the ModeName property is invalid"},
        {62303, "Couldn't create attributes Interface: Is engine registered?"},
        {62304, "%s is not implemented in the %s engine"},
        {62305, "The Active property must be TRUE before the %s method can be called"},
        {62307, "Could't create TTSDialogs Object. Is it registered?"},
        {62313, "%s out of range (%s-%s)"},
        {62324, "Default"},
    };
    return messages;
}

const char* const NoFileText =
    "OutputDest of odFile requres a valid path and file name in the OutputFile property";

} // namespace

std::string SpeechMessage(int id, const std::vector<std::string>& args) {
    const auto it = Messages().find(id);
    if (it == Messages().end()) return "Speech message " + std::to_string(id);
    std::string out;
    std::size_t next = 0;
    for (const char* p = it->second; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            if (next < args.size()) out += args[next++];
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

std::string SpeechErrorText(std::uint32_t code) {
    static const std::map<std::uint32_t, const char*> resources = {
        {513, "The speech recognition or text-to-speech service does not have enough data."},
        {515, "The audio device is in use at this time."},
        {1815, "Voice text could not find a text-to-speech engine to use."},
    };
    static const std::map<std::uint32_t, const char*> system = {
        {NotImplemented, "Not implemented"},
        {Failed, "Unspecified error"},
        {InvalidArgument, "The parameter is incorrect."},
    };
    std::string text;
    if (const auto r = resources.find(code & 0xFFFF); r != resources.end())
        text = r->second;
    else if (const auto s = system.find(code); s != system.end())
        text = s->second;
    else
        text = "Unknown error";
    char hex[16];
    std::snprintf(hex, sizeof hex, "%.8x", code);
    return text + "\r\nOLE error " + hex;
}

ESpeechError::ESpeechError(std::uint32_t code)
    : EOleError(SpeechErrorText(code)), ErrorCode(code) {}

ESpeechError::ESpeechError(std::uint32_t code, const std::string& text)
    : EOleError(text), ErrorCode(code) {}

std::vector<std::pair<std::size_t, std::string>> SplitSpeechAt(std::string_view text,
                                                               std::size_t maxBytes) {
    maxBytes = std::max<std::size_t>(maxBytes, 1);
    std::vector<std::pair<std::size_t, std::string>> pieces;
    const auto add = [&](std::size_t at, std::string_view piece) {
        while (piece.size() > maxBytes) {
            std::size_t cut = piece.rfind(' ', maxBytes - 1);
            cut = cut == std::string_view::npos || cut == 0 ? maxBytes : cut + 1;
            pieces.emplace_back(at, piece.substr(0, cut));
            piece.remove_prefix(cut);
            at += cut;
        }
        if (piece.find_first_not_of(" \t\r\n") != std::string_view::npos)
            pieces.emplace_back(at, piece);
    };
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool next_blank = i + 1 == text.size() || text[i + 1] == ' ' || text[i + 1] == '\t' ||
                                text[i + 1] == '\r' || text[i + 1] == '\n';
        const bool end = c == '\n' || c == '\r' ||
                         ((c == '.' || c == '!' || c == '?' || c == ';') && next_blank);
        if (end) {
            add(start, text.substr(start, i + 1 - start));
            start = i + 1;
        }
    }
    add(start, text.substr(start));
    return pieces;
}

std::vector<std::string> SplitSpeech(std::string_view text, std::size_t maxBytes) {
    std::vector<std::string> pieces;
    for (auto& piece : SplitSpeechAt(text, maxBytes)) pieces.push_back(std::move(piece.second));
    return pieces;
}

std::string AnsiToUtf8(std::string_view text) {
    // Windows-1252 in 80-9F; its five unused bytes keep their own code points.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        const unsigned cp = b >= 0x80 && b < 0xA0 ? high[b - 0x80] : b;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

TTTS::TTTS(std::unique_ptr<ITTSEngine> engine)
    : Engine(std::move(engine)), Attr{{"Pitch", TTTSAttribute::Pitch, 0, 0xFFFF},
                                      {"RealTime", TTTSAttribute::RealTime, 0, 0xFFFFFFFF},
                                      {"Speed", TTTSAttribute::Speed, 0, 0xFFFFFFFF},
                                      {"VolumeL", TTTSAttribute::Volume, 1, 0xFFFF},
                                      {"VolumeR", TTTSAttribute::Volume, 2, 0xFFFF}} {
    Created = Now();
    if (!Engine) return;
    const std::vector<TTTSModeInfo> modes = Engine->Modes();
    HaveModes = !modes.empty();
    const int best = HaveModes ? Engine->DefaultMode() : -1;
    if (best >= 0 && best < static_cast<int>(modes.size())) {
        FMode = modes[static_cast<std::size_t>(best)];
        HaveMode = true;
    }
}

TTTS::~TTTS() {
    if (FActive) ReleaseEngine();
}

std::uint64_t TTTS::Now() const {
    const auto t = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
               std::chrono::duration_cast<std::chrono::microseconds>(t).count()) -
           Created;
}

void TTTS::Check(std::uint32_t result) {
    if (result != Ok) throw ESpeechError(result);
}

void TTTS::SetAudioDeviceID(int id) {
    const int devices = AudioSystem().DeviceCount();
    if (devices == 0) return;
    if (FActive) throw EOleError(SpeechMessage(62300, {"AudioDeviceID"}));
    // Devices are numbered 0 to count - 1; -1 is the default device.
    if (id < -1 || id >= devices) throw EOleError(SpeechMessage(62301));
    FAudioDeviceID = id;
}

std::string TTTS::ModeName() const {
    return DefaultName ? SpeechMessage(62324) : FMode.ModeName;
}

void TTTS::SetModeName(const std::string& name) {
    if (name.empty() || !Engine || !HaveModes) return;
    if (FActive) throw EOleError(SpeechMessage(62300, {"ModeName"}));
    const bool wantDefault = name == SpeechMessage(62324);
    const std::vector<TTTSModeInfo> modes = Engine->Modes();
    const int best = wantDefault ? Engine->DefaultMode() : -1;
    if (best >= 0 && best < static_cast<int>(modes.size()) &&
        !modes[static_cast<std::size_t>(best)].ModeName.empty()) {
        FMode = modes[static_cast<std::size_t>(best)];
    } else {
        const auto it = std::find_if(modes.begin(), modes.end(),
                                     [&](const TTTSModeInfo& m) { return m.ModeName == name; });
        if (it == modes.end()) throw EOleError(SpeechMessage(62302));
        FMode = *it;
    }
    HaveMode = true;
    DefaultName = wantDefault;
}

void TTTS::SetOutputFile(const std::string& file) {
    if (FActive && ActiveDest == TOutPutDest::odFile) {
        if (file.empty()) throw EOleError(NoFileText);
        auto device = AudioSystem().CreateFileDevice(file);
        if (!device->Open(Engine->Format())) throw ESpeechError(Failed, device->ErrorText());
        Drop();
        Device->Close();
        Attach(std::move(device));
        if (FAudioPaused) Device->Pause();
    }
    FOutputFile = file;
}

std::unique_ptr<TWaveOut> TTTS::MakeDestination() {
    switch (OutputDest) {
    case TOutPutDest::odAudioDevice:
    case TOutPutDest::odDirect:
        // The direct destination is the program's own device as well.
        if (AudioSystem().DeviceCount() == 0)
            throw EOleError("No wave out devices available on system.");
        return AudioSystem().CreateDevice();
    case TOutPutDest::odFile:
        if (FOutputFile.empty()) throw EOleError(NoFileText);
        return AudioSystem().CreateFileDevice(FOutputFile);
    case TOutPutDest::odOther: {
        if (!OnMakeOtherDest)
            throw EOleError("An OnMakeOtherDest event must be defined to use an OutputDest of "
                            "odOther.");
        std::unique_ptr<TWaveOut> dest;
        OnMakeOtherDest(dest);
        if (!dest) throw EOleError("OnMakeOtherDest must assign DestInterface parameter");
        return dest;
    }
    }
    throw EOleError("Unknown OutputDest");
}

void TTTS::SetActive(bool active) {
    if (active == FActive) return;
    if (!active) {
        ReleaseEngine();
        return;
    }
    ActivationError.clear();
    try {
        if (!Engine || !HaveMode) throw ESpeechError(NoEngine);
        Attach(MakeDestination());
        ActiveDest = OutputDest;
        Check(Engine->Select(FMode));
        Selected = true;
        if ((InterfaceOptions & itAttributes) && FMode.HasAttributes) ApplyAttributes();
        if (!Device->Open(Engine->Format())) throw ESpeechError(Failed, Device->ErrorText());
        FActive = true;
    } catch (const std::exception& e) {
        ActivationError = e.what();
        ReleaseEngine();
    }
}

void TTTS::Attach(std::unique_ptr<TWaveOut> device) {
    Device = std::move(device);
    Device->OnDone = [this](std::uint64_t tag) { DeviceDone(tag); };
}

void TTTS::ReleaseEngine() {
    Drop();
    if (Device) Device->Close();
    Device.reset();
    if (Selected) Engine->Release();
    Selected = false;
    FActive = false;
    FAudioPaused = false;
}

std::uint32_t TTTS::ReadAttr(const TAttr& a, std::int64_t& value) {
    std::uint32_t v = 0;
    const std::uint32_t r = Engine->GetAttribute(a.Kind, v);
    if (a.Part == 1 || a.Kind == TTTSAttribute::Pitch)
        value = v & 0xFFFF;
    else if (a.Part == 2)
        value = v >> 16;
    else
        value = static_cast<std::int32_t>(v);
    return r;
}

std::uint32_t TTTS::WriteAttr(const TAttr& a, std::int64_t value) {
    auto v = static_cast<std::uint32_t>(value);
    if (a.Part != 0) {
        // The two volumes are one engine value: setting one keeps the other.
        std::uint32_t both = 0;
        Engine->GetAttribute(a.Kind, both);
        v = a.Part == 1 ? (both & 0xFFFF0000) | (v & 0xFFFF) : (both & 0xFFFF) | (v & 0xFFFF) << 16;
    }
    return Engine->SetAttribute(a.Kind, v);
}

void TTTS::ApplyAttributes() {
    for (int i = 0; i < 5; ++i) {
        TAttr& a = Attr[i];
        a.Supported = false;
        a.Min = 0;
        a.Max = -1;
        std::int64_t current = 0;
        if (a.Kind == TTTSAttribute::Pitch && FMode.ProductName == "ProVoice") {
            a.Stored = -1;
            continue;
        }
        ReadAttr(a, current);
        if (WriteAttr(a, current) == NotImplemented) {
            a.Stored = -1;
            continue;
        }
        a.Supported = true;
        if (a.Kind == TTTSAttribute::Speed && FMode.ProductName == "Laureate") {
            a.Max = 150;
        } else {
            WriteAttr(a, 0);
            ReadAttr(a, a.Min);
            WriteAttr(a, a.ProbeMax);
            ReadAttr(a, a.Max);
            WriteAttr(a, current);
        }
        if (a.Stored == -1) a.Stored = static_cast<int>(current);
        std::int64_t target = std::max<std::int64_t>(a.Stored, a.Min);
        if (a.Max >= 0) target = std::min(target, a.Max);
        WriteAttr(a, target);
        std::int64_t back = target;
        ReadAttr(a, back);
        a.Stored = static_cast<int>(back);
    }
}

void TTTS::SetAttribute(int index, int value) {
    TAttr& a = Attr[index];
    if (!FActive || !a.Supported) {
        a.Stored = value;
        return;
    }
    if (value < a.Min || (a.Max >= 0 && value > a.Max))
        throw EOleError(
            SpeechMessage(62313, {a.Name, std::to_string(a.Min), std::to_string(a.Max)}));
    Check(WriteAttr(a, value));
    std::int64_t back = value;
    Check(ReadAttr(a, back));
    a.Stored = static_cast<int>(back);
    if (OnAttribChanged) OnAttribChanged(static_cast<std::uint32_t>(index));
}

void TTTS::SetCharacterSet(TChrSet charset) {
    FCharacterSet = charset;
    if (!FActive) return;
    std::string none;
    Check(Engine->Synthesize("", charset, FControlTags == TCtrlTags::ctTagged, none));
}

void TTTS::SetControlTags(TCtrlTags tags) {
    if (tags == TCtrlTags::ctTagged && !(FMode.Features & TTSFeatureTagged)) {
        FControlTags = TCtrlTags::ctNone;
        throw EOleError(SpeechMessage(62304, {"Control Tagging", FMode.ProductName}));
    }
    FControlTags = tags;
}

void TTTS::SetAudioPaused(bool paused) {
    if (paused == FAudioPaused) return;
    if (!FActive) throw EOleError(SpeechMessage(62305, {"AudioPaused"}));
    if (!(paused ? Device->Pause() : Device->Restart()))
        throw ESpeechError(Failed, Device->ErrorText());
    FAudioPaused = paused;
}

void TTTS::Speak(std::string_view text) {
    if (!FActive) throw EOleError(SpeechMessage(62305, {"Speak"}));
    ErrorText.clear();
    ReadingOn = false;
    if (OnTextDataStarted) OnTextDataStarted(Now());
    if (!Enqueue(text.substr(0, text.find('\0'))) && OnTextDataDone) OnTextDataDone(Now(), 0);
    try {
        PlayNext();
    } catch (...) {
        Drop();
        throw;
    }
}

void TTTS::ReadOn(std::function<std::optional<std::string>()> next) {
    if (!FActive) throw EOleError(SpeechMessage(62305, {"ReadOn"}));
    AudioReset();
    TextCount = 0;
    Texts = std::move(next);
    ReadingOn = true;
    try {
        PlayNext();
    } catch (...) {
        Drop();
        throw;
    }
}

// The pieces of a text at the end of the queue; false when it has none.
bool TTTS::Enqueue(std::string_view text) {
    const auto pieces = SplitSpeechAt(text);
    for (std::size_t i = 0; i < pieces.size(); ++i)
        Queue.push_back({AnsiToUtf8(pieces[i].second), i + 1 == pieces.size(), i == 0, TextCount,
                         pieces[i].first});
    ++TextCount;
    return !pieces.empty();
}

// Whether a piece waits to be synthesised, taking the next text read on when none does.
bool TTTS::HaveQueued() {
    while (Queue.empty() && Texts) {
        std::optional<std::string> text = Texts();
        if (!text)
            Texts = nullptr;
        else
            Enqueue(std::string_view(*text).substr(0, text->find('\0')));
    }
    return !Queue.empty();
}

std::optional<TReadPlace> TTTS::Place() const {
    if (!ReadingOn || OnDevice.empty()) return std::nullopt;
    const TSound& sound = OnDevice.front();
    const std::size_t played = Device ? Device->Played() : 0;
    TReadPlace place{sound.Piece.Text, sound.Piece.Offset};
    for (const TWordMark& word : sound.Words) {
        if (word.Sound > played) break;
        // The text was given to the engine as UTF-8: one character for each byte of the piece.
        const std::string_view before = std::string_view(sound.Piece.Utf8).substr(0, word.Text);
        place.Offset =
            sound.Piece.Offset +
            static_cast<std::size_t>(std::count_if(before.begin(), before.end(), [](char c) {
                return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
            }));
    }
    return place;
}

void TTTS::AudioReset() {
    if (!FActive) throw EOleError(SpeechMessage(62305, {"AudioReset"}));
    ErrorText.clear();
    FAudioPaused = false;
    const bool wasSpeaking = Speaking();
    Drop();
    if (wasSpeaking && OnAudioStop) OnAudioStop(Now());
}

std::string TTTS::ConvertToPhoneme(std::string_view text) {
    if (!FActive) throw EOleError(SpeechMessage(62305, {"ConvertToPhoneme"}));
    std::string phonemes;
    Check(Engine->ToPhonemes(AnsiToUtf8(text.substr(0, text.find('\0'))), phonemes));
    return phonemes;
}

bool TTTS::Speaking() const {
    return !OnDevice.empty() || Next.has_value() || !Queue.empty() || Texts;
}

void TTTS::Synthesize() {
    TSound sound{std::move(Queue.front()), {}, {}, 0};
    Queue.pop_front();
    Check(Engine->SynthesizeWords(sound.Piece.Utf8, sound.Samples, sound.Words));
    Next = std::move(sound);
}

void TTTS::PlayNext() {
    // A device that queues keeps the next piece behind the one playing.
    const std::size_t room = Device->Queues() ? 2 : 1;
    while (OnDevice.size() < room) {
        // Pieces that make no sound at all are passed over.
        while ((!Next || Next->Samples.empty()) && HaveQueued()) {
            if (Next && Next->Piece.LastOfText && OnTextDataDone) OnTextDataDone(Now(), 0);
            Synthesize();
        }
        if (!Next || Next->Samples.empty()) {
            if (Next && Next->Piece.LastOfText && OnTextDataDone) OnTextDataDone(Now(), 0);
            Next.reset();
            return;
        }
        TSound& sound = OnDevice.emplace_back(std::move(*Next));
        Next.reset();
        sound.Tag = ++LastTag;
        if (!Device->Write(sound.Samples, sound.Tag)) {
            OnDevice.pop_back();
            throw ESpeechError(Failed, Device->ErrorText());
        }
        if (OnDevice.size() > 1) continue;
        if (!AudioOn && OnAudioStart) OnAudioStart(Now());
        AudioOn = true;
        Heard(sound);
    }
    // The next piece is ready by the time the one before has been played.
    if (!Next && HaveQueued()) Synthesize();
}

void TTTS::Heard(const TSound& sound) {
    // Only texts read on are numbered for the caller; Speak's are not its sentences.
    if (ReadingOn && sound.Piece.FirstOfText && OnTextHeard) OnTextHeard(sound.Piece.Text);
}

void TTTS::DeviceDone(std::uint64_t tag) {
    if (OnDevice.empty() || tag != OnDevice.front().Tag) return;
    if (OnDevice.front().Piece.LastOfText && OnTextDataDone) OnTextDataDone(Now(), 0);
    OnDevice.pop_front();
    try {
        if (!OnDevice.empty()) Heard(OnDevice.front());
        PlayNext();
    } catch (const std::exception& e) {
        Drop();
        ErrorText = e.what();
    }
    if (!OnDevice.empty()) return;
    AudioOn = false;
    if (OnAudioStop) OnAudioStop(Now());
}

void TTTS::Drop() {
    Queue.clear();
    Texts = nullptr;
    Next.reset();
    OnDevice.clear();
    AudioOn = false;
    ReadingOn = false;
    if (Device) Device->Reset();
}

} // namespace tavi
