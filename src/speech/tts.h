// The speech engine component: the English voice. It wraps one text-to-speech engine (espeak-ng
// in the program), connects it to a wave-output device of the program's audio system, applies
// the voice attributes and speaks queued texts piece by piece, each piece played while the
// next is synthesised.
#pragma once

#include "speech/readplace.h"
#include "speech/ttsengine.h"
#include "speech/waveout.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavi {

enum class TCtrlTags { ctNone, ctTagged };
enum class TOutPutDest { odAudioDevice, odFile, odDirect, odOther };
// The interfaces that activation asks the engine for (a set of bits).
enum TInterfaceListOption : unsigned {
    itAttributes = 1,
    itBuffNotify = 2,
    itDialogs = 4,
    itNotifySink = 8,
    itLexPronounce = 16
};

// Misuse of the component (a property set at the wrong time, a value out of range).
class EOleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failed engine call, with the call's result code.
class ESpeechError : public EOleError {
public:
    explicit ESpeechError(std::uint32_t code);
    ESpeechError(std::uint32_t code, const std::string& text);
    std::uint32_t ErrorCode;
};

// The component's messages, by number (62300-62324), with %s places filled in order.
std::string SpeechMessage(int id, const std::vector<std::string>& args = {});
// The message of a failed engine call: its text, CR LF, "OLE error" and the code.
std::string SpeechErrorText(std::uint32_t code);
// Pieces of a text that are synthesised and played one by one: sentences (ending in . ! ? ;
// or a line break), cut at a blank when longer than maxBytes.
std::vector<std::string> SplitSpeech(std::string_view text, std::size_t maxBytes = 400);
// The same pieces, each with where it starts in the text.
std::vector<std::pair<std::size_t, std::string>> SplitSpeechAt(std::string_view text,
                                                               std::size_t maxBytes = 400);
// Windows-1252 text (what callers hand to the engine) as UTF-8.
std::string AnsiToUtf8(std::string_view text);

class TTTS {
public:
    // Takes the engine (nullptr: none is installed) and picks its default mode.
    explicit TTTS(std::unique_ptr<ITTSEngine> engine);
    ~TTTS();
    TTTS(const TTTS&) = delete;
    TTTS& operator=(const TTTS&) = delete;

    // Properties.
    int AudioDeviceID() const { return FAudioDeviceID; }
    void SetAudioDeviceID(int id);
    std::string ModeName() const;
    void SetModeName(const std::string& name);
    TOutPutDest OutputDest = TOutPutDest::odAudioDevice; // used by the next activation
    const std::string& OutputFile() const { return FOutputFile; }
    void SetOutputFile(const std::string& file);
    bool Active() const { return FActive; }
    // Connecting fails silently (Active stays false); ActivationError tells why.
    void SetActive(bool active);
    int Pitch() const { return Attr[0].Stored; }
    void SetPitch(int value) { SetAttribute(0, value); }
    int RealTime() const { return Attr[1].Stored; }
    void SetRealTime(int value) { SetAttribute(1, value); }
    int Speed() const { return Attr[2].Stored; }
    void SetSpeed(int value) { SetAttribute(2, value); }
    std::uint16_t VolumeL() const { return static_cast<std::uint16_t>(Attr[3].Stored); }
    void SetVolumeL(std::uint16_t value) { SetAttribute(3, value); }
    std::uint16_t VolumeR() const { return static_cast<std::uint16_t>(Attr[4].Stored); }
    void SetVolumeR(std::uint16_t value) { SetAttribute(4, value); }
    TChrSet CharacterSet() const { return FCharacterSet; }
    void SetCharacterSet(TChrSet charset);
    TCtrlTags ControlTags() const { return FControlTags; }
    void SetControlTags(TCtrlTags tags);
    bool AudioPaused() const { return FAudioPaused; }
    void SetAudioPaused(bool paused);
    unsigned InterfaceOptions = itAttributes | itBuffNotify | itDialogs | itNotifySink;

    // Queues a Windows-1252 text (up to its first 00 byte); speech goes on after the call.
    void Speak(std::string_view text);
    // Drops what is queued and reads texts one after another, as a document is read on: next
    // gives them one by one (nullopt after the last), each asked for once the text before it has
    // been synthesised, so that it follows without a gap; they are numbered from 0.
    void ReadOn(std::function<std::optional<std::string>()> next);
    // Where the voice is: the text being heard and the offset in it of the word being heard
    // (of the text's sentence when the engine does not tell words); nullopt when none is.
    std::optional<TReadPlace> Place() const;
    // Drops the speech in progress and everything queued, and clears AudioPaused.
    void AudioReset();
    // The engine's phonemes of a text.
    std::string ConvertToPhoneme(std::string_view text);

    // Something is playing, paused or waiting in the queue.
    bool Speaking() const;
    // The current mode (empty without an engine).
    const TTTSModeInfo& Mode() const { return FMode; }
    std::string ActivationError;
    // Why speech that was under way stopped early (a device or engine failure); emptied by
    // Speak and AudioReset.
    std::string ErrorText;

    // Events; time stamps are microseconds since the component was made.
    std::function<void(std::uint64_t)> OnTextDataStarted;
    std::function<void(std::uint64_t, std::uint32_t)> OnTextDataDone;
    std::function<void(std::uint64_t)> OnAudioStart;
    std::function<void(std::uint64_t)> OnAudioStop;
    std::function<void(std::uint32_t)> OnAttribChanged;
    // Told when the first sound of a text (numbered as ReadOn numbers them) begins to be heard.
    std::function<void(std::size_t text)> OnTextHeard;
    // Supplies the device for odOther.
    std::function<void(std::unique_ptr<TWaveOut>& dest)> OnMakeOtherDest;

private:
    struct TAttr {
        const char* Name;
        TTTSAttribute Kind;
        int Part;               // 0 the whole value, 1 its low 16 bits, 2 its high 16 bits
        std::uint32_t ProbeMax; // the largest value a probe sets
        int Stored = -1;        // -1: keep the engine's own value
        bool Supported = false;
        std::int64_t Min = 0;
        std::int64_t Max = -1; // negative: no limit
    };
    struct TPiece {
        std::string Utf8;
        bool LastOfText = false;
        bool FirstOfText = false;
        std::size_t Text = 0;   // the number of its text
        std::size_t Offset = 0; // where it starts in its text
    };
    // A piece synthesised: its samples and where its words begin.
    struct TSound {
        TPiece Piece;
        std::string Samples;
        std::vector<TWordMark> Words;
        std::uint64_t Tag = 0;
    };

    std::uint32_t ReadAttr(const TAttr& a, std::int64_t& value);
    std::uint32_t WriteAttr(const TAttr& a, std::int64_t value);
    void ApplyAttributes();
    void SetAttribute(int index, int value);
    std::unique_ptr<TWaveOut> MakeDestination();
    void Attach(std::unique_ptr<TWaveOut> device);
    void ReleaseEngine();
    bool Enqueue(std::string_view text);
    bool HaveQueued();
    void PlayNext();
    void Synthesize(); // the first queued piece into Next
    void Heard(const TSound& sound);
    void DeviceDone(std::uint64_t tag);
    void Drop();
    void Check(std::uint32_t result);
    std::uint64_t Now() const;

    std::unique_ptr<ITTSEngine> Engine;
    bool HaveModes = false; // the engine has at least one mode
    bool HaveMode = false;  // FMode is one of them
    bool Selected = false;  // the engine is connected to FMode
    TOutPutDest ActiveDest = TOutPutDest::odAudioDevice;
    TTTSModeInfo FMode;
    bool DefaultName = true;
    int FAudioDeviceID = -1;
    std::string FOutputFile;
    bool FActive = false;
    TChrSet FCharacterSet = TChrSet::csText;
    TCtrlTags FControlTags = TCtrlTags::ctNone;
    bool FAudioPaused = false;
    TAttr Attr[5];

    std::unique_ptr<TWaveOut> Device;
    std::deque<TPiece> Queue;
    // The texts still to come (ReadOn) and the number of the next text queued.
    std::function<std::optional<std::string>()> Texts;
    std::size_t TextCount = 0;
    bool ReadingOn = false; // what is heard comes from ReadOn
    // The sounds on the device, oldest first, and the piece synthesised ahead of them.
    std::deque<TSound> OnDevice;
    std::optional<TSound> Next;
    bool AudioOn = false; // sound has been heard since the device was last idle
    std::uint64_t LastTag = 0;
    std::uint64_t Created = 0;
};

} // namespace tavi
