// The editor as assistive technology (AT-SPI: Orca, BRLTTY through Orca) reads it: its text in
// Unicode, with offsets, caret, selection and change events counted in letters.
#pragma once

#include "document/accesstext.h"
#include "document/textunits.h"

#include <QAccessibleWidget>

namespace tavi {

class TMsRichEdit;

class TEditorAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TEditorAccessible(TMsRichEdit* editor);
    ~TEditorAccessible() override;

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;

    // What changed since assistive technology was last told, in letters; from now on it knows
    // the text as it is.
    TAccessText::TChange TakeChange();

private:
    TMsRichEdit& Editor() const;
    // The letters of the text as it is now (converted again only after a change).
    const TAccessText& Letters() const;
    int LetterOfDocPosition(int position) const;
    int DocPositionOf(int letter) const;
    TTextUnits Units() const;
    TTextRange ScreenLine(int letter) const;
    QString Answer(TTextRange range, int* startOffset, int* endOffset) const;

    mutable TAccessText FLetters;
    mutable bool FBraille = false;
    mutable bool FValid = false;
    QMetaObject::Connection FWatch; // tells of every change of the editor's text
    std::u16string FTold;           // the text as assistive technology was last told it
};

// Makes every editor answer through TEditorAccessible, and the editor's text-change events
// reach assistive technology in letters. Once per program.
void InstallEditorAccessibility();

} // namespace tavi
