// The speak operation of the main window, through which every window of the program talks,
// and the beep.
#include "shell/mainform.h"

#include "platform/eventwait.h"

#include <QApplication>
#include <QLabel>

namespace tavi {

TSpeakSettings TMainForm::SpeechSettings() const {
    const TOptions& o = FSettings.Options;
    TSpeakSettings s;
    s.SpeechOn = o.SpeechOn;
    s.SymbolModeEnabled = FDocument.Braille(); // symbol mode can be chosen in Braille display only
    s.SymbolModeChecked = o.SymbolMode;
    s.ReadControlChars = o.ControlChars;
    s.VniDisplay = !FDocument.Braille();
    s.VietnameseNames = o.Vietnamese;
    s.EnglishNames = o.English();
    return s;
}

void TMainForm::SpeakText(const std::string& text, const std::string& codeTable, bool useEnglish,
                          bool readControlChars) {
    const TSpeakSettings settings = SpeechSettings();
    if (!settings.SpeechOn) return;
    StopReadOn(); // whatever speaks now ends reading on, the caret at the word it had reached
    setCursor(Qt::BusyCursor);
    SetActivity(QString::fromUtf8("Tavi đang chuẩn bị đọc..."));
    TSpeechAction action;
    try {
        action = PrepareSpeech(text, codeTable, useEnglish, readControlChars, settings,
                               FData.Braille, FData.DotNames);
    } catch (const std::exception&) {
        // A Braille table that cannot be loaded leaves the text as it is, read as VNI.
        action = PrepareSpeech(text, VniWinTable, useEnglish, readControlChars, settings,
                               FData.Braille, FData.DotNames);
    }
    if (action.kind == TSpeechAction::English) {
        FSpeech->StopReading();
        FSpeech->EngineReset();
        FSpeech->EngineSpeak(action.text);
    } else if (action.kind == TSpeechAction::Vietnamese) {
        if (FSpeech->EngineActive()) FSpeech->EngineReset();
        FSpeech->ReaderSpeak(action.text, action.table, action.symbols);
    }
    SetActivity(QString());
    unsetCursor();
}

std::string TMainForm::DotReading(const std::string& text, bool readControlChars) const {
    return tavi::DotReading(text, readControlChars, SpeechSettings(), FData.DotNames);
}

void TMainForm::SayWhole(const std::string& key, const char* shown) {
    if (!SoundOn()) {
        if (shown) ShowMessage(shown, true);
        return;
    }
    Announce(key);
    HearWhole();
}

void TMainForm::HearWhole() {
    constexpr int LongestWarningMs = 15000; // a voice that never ends must not hold the keys
    PumpEventsUntil([this] { return !Playing(); }, LongestWarningMs, false);
}

void TMainForm::PlayBeep() {
    FSpeech->PlaySoundFile(FData.WaveDir / "Beep.wav");
}

bool TMainForm::SoundOn() const {
    return FSettings.Options.SpeechOn;
}

void TMainForm::WaitWhileSpeaking() {
    FSpeech->WaitWhilePlaying();
}

void TMainForm::StopReading() {
    FSpeech->StopReading();
}

void TMainForm::PauseReading() {
    FSpeech->PauseReading();
}

void TMainForm::ResumeReading() {
    FSpeech->ResumeReading();
}

bool TMainForm::Playing() const {
    return FSpeech->ReaderState() == TReaderState::Playing;
}

// The speech language and the punctuation setting, as the mail windows read them.
bool TMainForm::EnglishSpeech() const {
    return FSettings.Options.English();
}

bool TMainForm::ReadControlChars() const {
    return FSettings.Options.ControlChars;
}

} // namespace tavi
