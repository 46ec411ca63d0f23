// What the main window does when the document changes or the caret moves.
#include "shell/mainform.h"

#include "document/msrichedit.h"

namespace tavi {

void TMainForm::EditorChange() {
    if (FSuppressChange) {
        FSuppressChange = false;
        return;
    }
    Action("MEUndo")->setEnabled(Editor->CanUndo());
    UpdateCaretPanel();
    SetModified(1);
    if (FPendingEcho) {
        FPendingEcho = false;
        const int caret = Editor->SelStart();
        if (caret > 0)
            SpeakText(Editor->Text().substr(static_cast<std::size_t>(caret - 1), 1), VniWinTable,
                      Checked("MEnglish"), Checked("MRCharCtrl"));
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
