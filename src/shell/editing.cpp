// What the main window does when the document changes or the caret moves.
#include "shell/mainform.h"

#include "document/msrichedit.h"

namespace tavi {

void TMainForm::EditorChange() {
    // The program's own changes of form or size are no edit. (Held for the whole change: a
    // flag used up by the first notice let the second one count as an edit.)
    if (FDocument.SuppressChange) return;
    // Any edit, also a paste or an undo, makes the other form of the document stale.
    FDocument.TextBeforeTranslation.clear();
    FKeys.Placed = true;
    Action("MEUndo")->setEnabled(Editor->CanUndo());
    UpdateCaretPanel();
    SetModified(1);
    ScheduleRecovery();
    if (FKeys.PendingEcho) {
        FKeys.PendingEcho = false;
        const TCaretText t = Editor->CaretText();
        if (t.Caret > 0)
            EchoText(std::string(1, static_cast<char>(t.At(t.Caret - 1))), VniWinTable);
    }
}

void TMainForm::EditorSelChange() {
    Action("TFontBold")->setChecked(Editor->SelBold());
    Action("TFontItalic")->setChecked(Editor->SelItalic());
    Action("TFontUnderLine")->setChecked(Editor->SelUnderline());
    static const char* const alignment[] = {"MLLeft", "MLRight", "MLCenter"};
    const int a = Editor->SelAlignment();
    if (a >= 0 && a <= 2) Action(alignment[a])->setChecked(true);
    UpdateCaretPanel();
}

} // namespace tavi
