// Documents in and out of the editor: opening a file, saving the text and a document shown in
// Braille, files dropped on the window or handed over by a later start, and the file dialogs.
#include "shell/mainform.h"

#include "codes/brailleconverter.h"
#include "codes/keyboard.h"
#include "codes/sixkeykb.h"
#include "dialogs/filenames.h"
#include "dialogs/talkingdialog.h"
#include "document/msrichedit.h"
#include "document/screenfonts.h"
#include "shell/errorreport.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScopeGuard>
#include <QUrl>

namespace tavi {

namespace fs = std::filesystem;

namespace {

// The first local file of a drop, if any.
QString DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

bool IsPlainTextName(const std::string& name) {
    return QString::fromStdString(fs::path(name).extension().string())
               .compare(".txt", Qt::CaseInsensitive) == 0;
}

} // namespace

// Names, addresses and passwords take plain keys: the accent keys would turn their digits
// into marks. Back from them, the keyboards are as the display wants them.
void TMainForm::PlainKeys(bool plain) {
    Keyboard1->SetEnabled(!plain && !FDocument.Braille());
    SixKeyKbd1->SetEnabled(!plain && FDocument.Braille());
}

int TMainForm::ShowWithPlainKeys(QDialog& dialog) {
    PlainKeys(true);
    const int result = ShowModal(dialog);
    PlainKeys(false);
    return result;
}

bool TMainForm::OpenDocument(const std::string& name) {
    const fs::path file = DocumentToOpen(name);
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        Report("zzzmeset ", "Không tìm thấy tệp tin này!");
        return false;
    }
    // What is shown stays as it is until the new document is in: a document still in Braille
    // must not be taken for text.
    if (!Editor->LoadFromFile(QString::fromStdString(file.string()))) {
        if (Editor->FileFailure.Reason == TFileReason::Cancelled)
            Announce(" zzzmescvh "); // the user's own Escape
        else
            Report(OpenFailureReport(Editor->FileFailure));
        return false;
    }
    ShowOpened(file.string());
    return true;
}

// The document just loaded, as text in the screen face, unchanged and with nothing to undo.
void TMainForm::ShowOpened(const std::string& file) {
    ShowDisplayState(false);
    SetFileName(file);
    FDocument.TextBeforeTranslation.clear();
    if (FSettings.Options.AutoConvert) Editor->ConvertDocument(VniWinTable);
    // The screen face shows the letters; a text is shown at the program's size, while a
    // formatted document keeps its sizes, so that they are saved again.
    Editor->SetDocumentFont(VniScreenFont, Editor->Formatted() ? 0 : 14);
    Editor->SetSelStart(0);
    Editor->EmptyUndoBuffer();
    Editor->setFocus(Qt::ActiveWindowFocusReason);
    SetModified(0);
    ForgetRecovery();
    Announce(" zzzmesem ");
}

void TMainForm::OpenRequested(const std::string& file) {
    if (file.empty()) return;
    FRun.OpenQueue.push_back(file);
    // While a question is open the event loop runs, and more files may come: one question at
    // a time, each file in its turn.
    if (FRun.Opening) return;
    FRun.Opening = true;
    const auto done = qScopeGuard([this] {
        FRun.Opening = false;
        FRun.OpenQueue.clear(); // left when the program ends meanwhile
    });
    while (!FRun.OpenQueue.empty() && !FRun.Ending && !FRun.Closed) {
        const std::string next = FRun.OpenQueue.front();
        FRun.OpenQueue.pop_front();
        // A file that comes during a conversion is refused, as any command then.
        Guarded([&] {
            if (!RefusedWhileConverting() && AskToSave() != mrCancel) OpenDocument(next);
        });
    }
}

bool TMainForm::SaveText(const std::string& name) {
    return SaveDocument(*Editor, name);
}

bool TMainForm::SaveDocument(TMsRichEdit& source, const std::string& name) {
    if (source.SaveToFile(QString::fromStdString(name))) {
        Announce("zzzmeser ");
        SetModified(0);
        ForgetRecovery();
        return true;
    }
    Report(SaveFailureReport(source.FileFailure));
    return false;
}

// A document shown in Braille is stored as its text. The text is made in an editor of its
// own, so the Braille on the screen, the caret and the undo steps stay as they were.
bool TMainForm::SaveBraille(const std::string& name) {
    TMsRichEdit text;
    text.Conversion = Editor->Conversion;
    try {
        text.SetText(VniFromBraille(FData.Braille, Editor->Text()));
    } catch (const std::exception&) {
        Report("zzzmesesa ", "Không lưu được tập tin!"); // the Braille tables are missing
        return false;
    }
    if (!IsPlainTextName(name)) {
        text.SelectAllText();
        text.SetSelFontName(VniScreenFont);
    }
    return SaveDocument(text, name);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* e) {
    if (!DroppedFile(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* e) {
    const QString file = DroppedFile(e->mimeData());
    if (file.isEmpty()) return;
    e->acceptProposedAction();
    OpenRequested(file.toStdString());
}

} // namespace tavi
