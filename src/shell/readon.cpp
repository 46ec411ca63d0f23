// Reading the document on from the caret, sentence by sentence, the caret going along with the
// voice. Any key stops it and leaves the caret at the start of the word being heard, so that
// the next read-on goes on from there. The key that stops it does nothing else: the user was
// listening, not looking, and a letter typed or a caret moved there would land blind.
#include "shell/mainform.h"

#include "codes/brailleconverter.h"
#include "document/msrichedit.h"
#include "document/sentencewalk.h"

#include <QKeyEvent>

#include <utility>

namespace tavi {

namespace {

bool IsModifier(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_AltGr || key == Qt::Key_CapsLock ||
           key == Qt::Key_NumLock;
}

} // namespace

void TMainForm::ReadOnCommand() {
    StopReadOn();
    if (!SoundOn()) return;
    auto source = std::make_shared<TReadOnSource>(
        [this](std::size_t pos, std::size_t count) { return Editor->TextWindow(pos, count); },
        static_cast<std::size_t>(Editor->SelStart()), ReadOnSpoken());
    std::optional<std::string> first = source->Next();
    if (!first) return Announce(" zzzmesfqa ");
    FReadOn.Source = source;
    ISpeechPort::TReadOn request;
    request.Next = [source, first = std::move(first)]() mutable {
        return first ? std::exchange(first, std::nullopt) : source->Next();
    };
    request.Started = [this, source](std::size_t n) {
        Editor->SetSelStart(static_cast<int>(source->Start(n)));
    };
    request.English = FSettings.Options.English();
    FSpeech->ReadOn(std::move(request));
}

// Braille display is read as the text its cells stand for, signs and all.
std::function<std::string(std::string_view)> TMainForm::ReadOnSpoken() {
    if (!FDocument.Braille()) return {};
    return [this](std::string_view cells) {
        try {
            return VniFromBraille(FData.Braille, cells);
        } catch (const std::exception&) {
            return std::string(cells); // no Braille table: the cells as they are
        }
    };
}

bool TMainForm::StopReadOn() {
    if (!FReadOn.Source) return false;
    const std::shared_ptr<TReadOnSource> source = std::exchange(FReadOn.Source, nullptr);
    const std::optional<TReadPlace> place = FSpeech->StopReadOn();
    if (!place) return false;
    Editor->SetSelStart(static_cast<int>(source->Place(place->Text, place->Offset)));
    return true;
}

// A key that stops reading on is taken whole: the shortcut it might be, its press, its repeats
// and its release. Modifiers alone stop nothing, so that Alt+F8 again stops reading.
bool TMainForm::ReadOnKey(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (FReadOn.StopKey && key == FReadOn.StopKey) {
        if (type == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            FReadOn.StopKey = 0;
        event->accept();
        return true;
    }
    if (type == QEvent::KeyRelease || IsModifier(key) || !StopReadOn()) return false;
    FReadOn.StopKey = key;
    event->accept();
    return true;
}

} // namespace tavi
