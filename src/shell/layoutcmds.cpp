// The layout commands: normal size and zoom, alignment, bold, italic and underline, and the
// switch of the whole document between VNI text and Braille grade 1 with its keyboard.
#include "shell/mainform.h"

#include "codes/brailleconverter.h"
#include "codes/keyboard.h"
#include "codes/sixkeykb.h"
#include "document/msrichedit.h"
#include "document/screenfonts.h"

#include <QApplication>
#include <QScopeGuard>

namespace tavi {

namespace {

constexpr double NormalSize = 14, ZoomStep = 4, LargestZoom = 140, SmallestZoom = 8;

} // namespace

const std::vector<TMainForm::TCommand>& TMainForm::LayoutCommands() {
    static const std::vector<TCommand> commands = {{"MLNormal", &TMainForm::NormalSizeCommand},
                                                   {"MZoomIn", &TMainForm::ZoomInCommand},
                                                   {"MZoomOut", &TMainForm::ZoomOutCommand},
                                                   {"MLLeft", &TMainForm::AlignLeftCommand},
                                                   {"MLCenter", &TMainForm::AlignCenterCommand},
                                                   {"MLRight", &TMainForm::AlignRightCommand},
                                                   {"TFontBold", &TMainForm::BoldCommand},
                                                   {"TFontItalic", &TMainForm::ItalicCommand},
                                                   {"TFontUnderLine", &TMainForm::UnderlineCommand},
                                                   {"MGTVNI2", &TMainForm::VniDisplayCommand},
                                                   {"MGTGrade1", &TMainForm::BrailleDisplayCommand},
                                                   {"MTuongHinh", &TMainForm::SymbolModeCommand}};
    return commands;
}

// The size of the whole document; nothing is said, and the document is not counted as changed.
void TMainForm::SetDocumentSize(double points) {
    FDocument.SuppressChange = true;
    Editor->SetAllFontSize(points);
    FDocument.SuppressChange = false;
    const double size = Editor->SelFontSize();
    Action("MZoomIn")->setEnabled(size < LargestZoom);
    Action("MZoomOut")->setEnabled(size > SmallestZoom);
}

void TMainForm::NormalSizeCommand() {
    SetDocumentSize(NormalSize);
}

void TMainForm::ZoomInCommand() {
    SetDocumentSize(Editor->SelFontSize() + ZoomStep);
}

void TMainForm::ZoomOutCommand() {
    SetDocumentSize(Editor->SelFontSize() - ZoomStep);
}

void TMainForm::Align(int alignment, bool announce) {
    static const char* const items[] = {"MLLeft", "MLRight", "MLCenter"};
    static const char* const keys[] = {"zzzmeseo ", "zzzmesep ", "zzzmeseqa "};
    Action(items[alignment])->setChecked(true); // its tool button is the same action
    Editor->SetSelAlignment(alignment);
    if (announce) Announce(keys[alignment]);
}

void TMainForm::AlignLeftCommand() {
    Align(AlignLeft, true);
}

void TMainForm::AlignCenterCommand() {
    Align(AlignCenter, true);
}

void TMainForm::AlignRightCommand() {
    Align(AlignRight, true);
}

void TMainForm::BoldCommand() {
    Editor->SetSelBold(Checked("TFontBold"));
}

void TMainForm::ItalicCommand() {
    Editor->SetSelItalic(Checked("TFontItalic"));
}

void TMainForm::UnderlineCommand() {
    Editor->SetSelUnderline(Checked("TFontUnderLine"));
}

void TMainForm::VniDisplayCommand() {
    SetDisplay(false);
    Announce(" zzzmescu ");
}

void TMainForm::BrailleDisplayCommand() {
    SetDisplay(true);
    Announce(" zzzmescw ");
}

// The whole document changes form; the form it had is kept until the next edit, so that going
// back without editing gives exactly the earlier text.
void TMainForm::SetDisplay(bool braille) {
    const int modified = FDocument.Modified;
    Editor->setCursor(Qt::BusyCursor);
    SetActivity(QString::fromUtf8("Tavi đang chuyển mã ..."));
    const auto done = qScopeGuard([this] {
        SetActivity(QString());
        Editor->unsetCursor();
    });
    if (FDocument.Braille() != braille) {
        const std::string text = Editor->Text();
        // Without the tables this throws, and the document stays as it is.
        const std::string shown = OtherForm(braille, text);
        FDocument.SuppressChange = true;
        Editor->SetText(shown, braille ? BrailleScreenFont : VniScreenFont);
        FDocument.SuppressChange = false;
        FDocument.TextBeforeTranslation = text;
        Editor->SetSelStart(0);
    }
    ShowDisplayState(braille);
    SetModified(modified);
}

// The document in the other form: as it was before the last switch when it was not edited
// since, else translated.
std::string TMainForm::OtherForm(bool braille, const std::string& text) {
    if (!FDocument.TextBeforeTranslation.empty()) return std::move(FDocument.TextBeforeTranslation);
    if (text.empty()) return {};
    return braille ? BrailleFromVni(FData.Braille, text) : VniFromBraille(FData.Braille, text);
}

// What goes with each form: the radio item, the keyboard, the symbol mode.
void TMainForm::ShowDisplayState(bool braille) {
    FDocument.Display = braille ? TDisplay::Braille : TDisplay::Text;
    ShowOptions();
    Action("MTuongHinh")->setEnabled(braille);
    Keyboard1->SetEnabled(!braille);
    SixKeyKbd1->SetEnabled(braille);
}

} // namespace tavi
