// The voices' own options: the speed of each voice and English words read by the English
// voice. The rate keys move the voice of the speech language, the one that echoes the typing
// and reads the document, so that each voice keeps the speed its user chose for it.
#include "shell/mainform.h"

#include "speech/speechrate.h"

namespace tavi {

const std::vector<TMainForm::TCommand>& TMainForm::VoiceCommands() {
    static const std::vector<TCommand> commands = {
        {"MRFaster", &TMainForm::FasterCommand},
        {"MRSlower", &TMainForm::SlowerCommand},
        {"MREnglishWords", &TMainForm::EnglishWordsCommand}};
    return commands;
}

void TMainForm::ApplyVoices() {
    const TOptions& o = FSettings.Options;
    FSpeech->SetEnglishWords(o.EnglishWords);
    FSpeech->SetReaderRate(RateOfStep(o.VietnameseRate));
    FSpeech->SetEngineRate(RateOfStep(o.EnglishRate));
}

void TMainForm::FasterCommand() {
    StepRate(+1);
}

void TMainForm::SlowerCommand() {
    StepRate(-1);
}

// The voice that changed says its new step at once, at its new speed, so the user hears
// what they chose; past the last step there is nothing to change.
void TMainForm::StepRate(int by) {
    TOptions& o = FSettings.Options;
    if (!o.StepRate(by)) return PlayBeep();
    ApplyVoices();
    const std::string step = std::to_string(o.LanguageRate());
    if (o.English())
        SpeakText("speed " + step, VniWinTable, true, false);
    else
        Announce(" zzzmesrt " + step);
}

void TMainForm::EnglishWordsCommand() {
    bool& on = FSettings.Options.EnglishWords;
    on = !on;
    ApplyVoices();
    Announce(on ? "zzzmesru" : "zzzmesrv");
}

} // namespace tavi
