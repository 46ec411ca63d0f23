#include "document/editoraccess.h"

#include "codes/braillecells.h"
#include "codes/tablenames.h"
#include "document/msrichedit.h"

#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

namespace tavi {

namespace {

QString FromUtf16(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

// The tables are read once; a missing one leaves the bytes as they are (Windows-1252).
const TUnicodeWriter* VniWriter() {
    static const std::unique_ptr<TUnicodeWriter> writer = []() -> std::unique_ptr<TUnicodeWriter> {
        try {
            return std::make_unique<TUnicodeWriter>(VniWinTable);
        } catch (const std::exception&) {
            return nullptr;
        }
    }();
    return writer.get();
}

const TBrailleCells& Cells() {
    static const TBrailleCells cells = [] {
        try {
            return LoadBrailleCells();
        } catch (const std::exception&) {
            return TBrailleCells{};
        }
    }();
    return cells;
}

} // namespace

TEditorAccessible::TEditorAccessible(TMsRichEdit* editor)
    : QAccessibleWidget(editor, QAccessible::EditableText) {
    // The letters are taken afresh after a change only: comparing the text on every call
    // would cost a screen reader's every question a pass over the whole document.
    FWatch = QObject::connect(editor->document(), &QTextDocument::contentsChange, editor,
                              [this] { FValid = false; });
    FTold = Letters().Text(); // what a reader finds when it first looks
}

TEditorAccessible::~TEditorAccessible() {
    QObject::disconnect(FWatch);
}

TMsRichEdit& TEditorAccessible::Editor() const {
    return *static_cast<TMsRichEdit*>(widget());
}

void* TEditorAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TEditorAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = !Editor().isReadOnly();
    s.readOnly = Editor().isReadOnly();
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

QString TEditorAccessible::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Value) return FromUtf16(Letters().Text());
    return QAccessibleWidget::text(kind);
}

const TAccessText& TEditorAccessible::Letters() const {
    const TMsRichEdit& editor = Editor();
    if (!FValid || FBraille != editor.BrailleDisplay()) {
        const std::string& bytes = editor.Text();
        FBraille = editor.BrailleDisplay();
        if (FBraille)
            FLetters = TAccessText::FromBraille(bytes, Cells());
        else if (const TUnicodeWriter* vni = VniWriter())
            FLetters = TAccessText::FromVni(bytes, *vni);
        else
            FLetters = TAccessText::FromBraille(bytes, TBrailleCells{});
        FValid = true;
    }
    return FLetters;
}

int TEditorAccessible::LetterOfDocPosition(int position) const {
    return Letters().LetterAt(static_cast<std::size_t>(Editor().DocToText(position)));
}

int TEditorAccessible::DocPositionOf(int letter) const {
    return Editor().TextToDoc(static_cast<int>(Letters().PositionOf(letter)));
}

void TEditorAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    const QTextCursor c = Editor().textCursor();
    if (selectionIndex != 0 || !c.hasSelection()) return;
    *startOffset = LetterOfDocPosition(c.selectionStart());
    *endOffset = LetterOfDocPosition(c.selectionEnd());
}

int TEditorAccessible::selectionCount() const {
    return Editor().textCursor().hasSelection() ? 1 : 0;
}

void TEditorAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void TEditorAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex != 0) return;
    QTextCursor c = Editor().textCursor();
    c.clearSelection();
    Editor().setTextCursor(c);
}

void TEditorAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0) return;
    QTextCursor c = Editor().textCursor();
    c.setPosition(DocPositionOf(startOffset));
    c.setPosition(DocPositionOf(endOffset), QTextCursor::KeepAnchor);
    Editor().setTextCursor(c);
}

int TEditorAccessible::cursorPosition() const {
    return LetterOfDocPosition(Editor().textCursor().position());
}

void TEditorAccessible::setCursorPosition(int position) {
    QTextCursor c = Editor().textCursor();
    c.setPosition(DocPositionOf(position));
    Editor().setTextCursor(c);
}

QString TEditorAccessible::text(int startOffset, int endOffset) const {
    const std::u16string& t = Letters().Text();
    const auto from = static_cast<std::size_t>(std::clamp(startOffset, 0, Letters().Length()));
    const auto to = static_cast<std::size_t>(std::clamp(endOffset, 0, Letters().Length()));
    if (to <= from) return {};
    return FromUtf16(std::u16string_view(t).substr(from, to - from));
}

int TEditorAccessible::characterCount() const {
    return Letters().Length();
}

QRect TEditorAccessible::characterRect(int offset) const {
    TMsRichEdit& editor = Editor();
    QTextCursor c(editor.document());
    c.setPosition(DocPositionOf(offset));
    const QRect first = editor.cursorRect(c);
    c.setPosition(DocPositionOf(offset + 1));
    const QRect next = editor.cursorRect(c);
    QRect r = first;
    if (next.top() == first.top() && next.left() > first.left()) r.setRight(next.left() - 1);
    return QRect(editor.viewport()->mapToGlobal(r.topLeft()), r.size());
}

int TEditorAccessible::offsetAtPoint(const QPoint& point) const {
    TMsRichEdit& editor = Editor();
    const QPoint local = editor.viewport()->mapFromGlobal(point);
    if (!editor.viewport()->rect().contains(local)) return -1;
    return LetterOfDocPosition(editor.cursorForPosition(local).position());
}

void TEditorAccessible::scrollToSubstring(int startIndex, int endIndex) {
    // The start of the text asked for comes into view; the caret stays where the user left it.
    Q_UNUSED(endIndex);
    TMsRichEdit& editor = Editor();
    QTextCursor c(editor.document());
    c.setPosition(DocPositionOf(startIndex));
    const QRect r = editor.cursorRect(c);
    QScrollBar* bar = editor.verticalScrollBar();
    if (r.top() < 0)
        bar->setValue(bar->value() + r.top());
    else if (r.bottom() > editor.viewport()->height())
        bar->setValue(bar->value() + r.bottom() - editor.viewport()->height());
}

QString TEditorAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    // One run: the program's formatting is not told (its speech does not say it either).
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

namespace {

TTextUnit UnitOf(QAccessible::TextBoundaryType type) {
    switch (type) {
    case QAccessible::CharBoundary: return TTextUnit::Char;
    case QAccessible::WordBoundary: return TTextUnit::Word;
    case QAccessible::SentenceBoundary: return TTextUnit::Sentence;
    case QAccessible::ParagraphBoundary: return TTextUnit::Paragraph;
    case QAccessible::LineBoundary: return TTextUnit::Line;
    default: return TTextUnit::All;
    }
}

} // namespace

// Qt's own answers look through a copy of the whole text, and never return where no word
// follows the offset (Braille cells, the caret after the last word): every answer is ours.
QString TEditorAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int* startOffset, int* endOffset) const {
    return Answer(Units().Before(offset, UnitOf(boundaryType)), startOffset, endOffset);
}

QString TEditorAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int* startOffset, int* endOffset) const {
    return Answer(Units().After(offset, UnitOf(boundaryType)), startOffset, endOffset);
}

QString TEditorAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int* startOffset, int* endOffset) const {
    return Answer(Units().At(offset, UnitOf(boundaryType)), startOffset, endOffset);
}

QString TEditorAccessible::Answer(TTextRange range, int* startOffset, int* endOffset) const {
    *startOffset = range.Start;
    *endOffset = range.End;
    return range.Start < 0 ? QString() : text(range.Start, range.End);
}

TTextUnits TEditorAccessible::Units() const {
    return TTextUnits(Letters().Text(), cursorPosition(),
                      [this](int letter) { return ScreenLine(letter); });
}

// The line as the editor wraps it, where its paragraph has been laid out.
TTextRange TEditorAccessible::ScreenLine(int letter) const {
    const int position = DocPositionOf(letter);
    const QTextBlock block = Editor().document()->findBlock(position);
    const QTextLayout* layout = block.isValid() ? block.layout() : nullptr;
    if (!layout || layout->lineCount() == 0) return {};
    const QTextLine line = layout->lineForTextPosition(position - block.position());
    if (!line.isValid()) return {};
    const int start = block.position() + line.textStart();
    const bool last = line.lineNumber() + 1 == layout->lineCount();
    const int end = last ? block.position() + block.length() - 1 : start + line.textLength();
    return {LetterOfDocPosition(start), LetterOfDocPosition(end)};
}

TAccessText::TChange TEditorAccessible::TakeChange() {
    const TAccessText& now = Letters();
    TAccessText::TChange change = TAccessText::Difference(FTold, now.Text());
    FTold = now.Text();
    return change;
}

namespace {

QAccessibleInterface* EditorFactory(const QString&, QObject* object) {
    if (auto* editor = qobject_cast<TMsRichEdit*>(object)) return new TEditorAccessible(editor);
    return nullptr;
}

void PassOn(QAccessibleEvent* event);

void TellChange(TEditorAccessible* editor) {
    const TAccessText::TChange change = editor->TakeChange();
    const QString removed = FromUtf16(change.Removed), inserted = FromUtf16(change.Inserted);
    const int caret = editor->cursorPosition();
    if (removed.isEmpty() && inserted.isEmpty()) return;
    if (removed.isEmpty()) {
        QAccessibleTextInsertEvent e(editor, change.Position, inserted);
        e.setCursorPosition(caret);
        return PassOn(&e);
    }
    if (inserted.isEmpty()) {
        QAccessibleTextRemoveEvent e(editor, change.Position, removed);
        e.setCursorPosition(caret);
        return PassOn(&e);
    }
    QAccessibleTextUpdateEvent e(editor, change.Position, removed, inserted);
    e.setCursorPosition(caret);
    PassOn(&e);
}

// Every event goes on as it came, but the editor's text changes: the text control reports them
// in the editor's bytes, and they are told again in letters.
void UpdateHandler(QAccessibleEvent* event) {
    switch (event->type()) {
    case QAccessible::TableModelChanged:
        return; // already applied to the table's cache; nothing on Linux listens to it
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
        if (auto* editor = dynamic_cast<TEditorAccessible*>(event->accessibleInterface())) {
            // The text control reports the change before the editor has taken it in: it is
            // told once the change is complete, all the changes of one step as one.
            QMetaObject::invokeMethod(
                editor->object(),
                [object = QPointer<QObject>(editor->object())] {
                    if (auto* iface = dynamic_cast<TEditorAccessible*>(
                            QAccessible::queryAccessibleInterface(object)))
                        TellChange(iface);
                },
                Qt::QueuedConnection);
            return;
        }
        break;
    default: break;
    }
    PassOn(event);
}

// Hands an event to the platform: the handler steps aside while Qt delivers it.
void PassOn(QAccessibleEvent* event) {
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(UpdateHandler);
}

} // namespace

void InstallEditorAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(EditorFactory);
        QAccessible::installUpdateHandler(UpdateHandler);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace tavi
