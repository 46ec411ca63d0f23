#include "document/msrichedit.h"

#include "codes/keyboardfilter.h"
#include "codes/vncodeconverter.h"
#include "document/editecho.h"
#include "document/htmltext.h"
#include "document/printform.h"
#include "document/rtfqt.h"
#include "document/screenfonts.h"
#include "document/wordimport.h"
#include "document/zippackage.h"
#include "platform/atomicfile.h"
#include "platform/documentfile.h"
#include "platform/qbytechars.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace tavi {

namespace {

// The editor's own clipboard form: RTF as the editor writes it, so that a copy within the
// program keeps every byte and the formatting.
constexpr const char* MimeRtf = "application/x-tavi-rtf";
constexpr int LineTextMax = 256; // what one read of a screen line gives
// Longer runs without a blank are laid out wrapping anywhere (see SetWrapAnywhere).
constexpr std::size_t UnbrokenRunMax = 4096;

std::string Bytes(const QString& s) {
    return QStringToBytesOrMark(s);
}

QString Chars(std::string_view bytes) {
    return BytesToQString(bytes);
}

bool HasUnbrokenRun(std::string_view text) {
    TUnbrokenRun run;
    run.Add(text);
    return run.Longest > UnbrokenRunMax;
}

bool HasUnbrokenRun(const TRtfDocument& doc) {
    TUnbrokenRun run;
    for (const TRtfParagraph& p : doc.Paragraphs) {
        for (const TRtfRun& r : p.Runs) run.Add(r.Text);
        run.Break();
    }
    return run.Longest > UnbrokenRunMax;
}

// The line break a plain text file uses: that of its first line.
std::string LineBreakOf(std::string_view data) {
    const std::size_t eol = data.find_first_of("\r\n");
    if (eol == std::string_view::npos) return "\r\n";
    if (data[eol] == '\n') return "\n";
    return eol + 1 < data.size() && data[eol + 1] == '\n' ? "\r\n" : "\r";
}

} // namespace

TMsRichEdit::TMsRichEdit(QWidget* parent) : QTextEdit(parent) {
    // The program's own keyboards do the typing; a system input method would type twice.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    SetKeyboardsAfterKeyDown(this);
    QFont font(VniScreenFont);
    font.setPointSizeF(14);
    setFont(font);
    document()->setDefaultFont(font);
    connect(document(), &QTextDocument::contentsChange, this, [this](int from, int, int added) {
        FTextValid = false;
        WatchLongParagraphs(from, added);
        FCopies.Changed(*document(), from, added);
        if (FCopyTimer) FCopyTimer->start();
    });
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        FTextValid = false;
        if (OnChange) OnChange();
    });
    const auto selChange = [this] {
        const QTextCursor c = textCursor();
        if (c.anchor() == FLastAnchor && c.position() == FLastPosition) return;
        FLastAnchor = c.anchor();
        FLastPosition = c.position();
        if (OnSelChange) OnSelChange();
    };
    connect(this, &QTextEdit::cursorPositionChanged, this, selChange);
    connect(this, &QTextEdit::selectionChanged, this, selChange);
}

// ---- positions -------------------------------------------------------------------------

int TMsRichEdit::DocToText(int pos) const {
    const QTextBlock b = document()->findBlock(pos);
    return pos + (b.isValid() ? b.blockNumber() : document()->blockCount() - 1);
}

// Block k starts at position() + k in Text.
QTextBlock TMsRichEdit::BlockAtText(int pos) const {
    const QTextDocument* d = document();
    int lo = 0, hi = d->blockCount() - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (d->findBlockByNumber(mid).position() + mid <= pos) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return d->findBlockByNumber(lo);
}

int TMsRichEdit::TextToDoc(int pos) const {
    if (pos <= 0) return 0;
    const QTextBlock b = BlockAtText(pos);
    const int lo = b.blockNumber();
    const int end = b.position() + b.length() - 1; // before the block's break
    const int p = pos - lo;
    if (p <= end) return p;
    // Between CR and LF, or past the end: after the break, or at the very end.
    return b.next().isValid() ? b.next().position() : end;
}

// ---- text ------------------------------------------------------------------------------

const std::string& TMsRichEdit::Text() const {
    if (!FTextValid) {
        FText.clear();
        for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
            if (b != document()->begin()) FText += "\r\n";
            FText += Bytes(b.text());
        }
        FTextValid = true;
    }
    return FText;
}

std::string TMsRichEdit::TextWindow(std::size_t pos, std::size_t count) const {
    if (FTextValid) return pos < FText.size() ? FText.substr(pos, count) : std::string();
    if (pos >= static_cast<std::size_t>(TextLength())) return {};
    QTextBlock b = BlockAtText(static_cast<int>(pos));
    const auto start = static_cast<std::size_t>(b.position() + b.blockNumber());
    std::string out = Bytes(b.text());
    while (out.size() < pos - start + count && (b = b.next()).isValid())
        out += "\r\n" + Bytes(b.text());
    return out.substr(pos - start, count);
}

int TMsRichEdit::TextLength() const {
    // Every block but the last ends in one separator character here and in CR LF in Text.
    return document()->characterCount() + document()->blockCount() - 2;
}

// Qt looks for the place to break a screen line through the whole rest of its paragraph, once
// for every screen line: a paragraph of one run of 300,000 letters took minutes to lay out, and
// as long again after every key. A document with such a run wraps anywhere instead, which
// costs the same for every length.
void TMsRichEdit::SetWrapAnywhere(bool on) {
    const auto mode = on ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (wordWrapMode() != mode) setWordWrapMode(mode);
}

// Long paragraphs, however they came: typed, pasted, loaded or left by a replacement.
void TMsRichEdit::WatchLongParagraphs(int from, int added) {
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() <= from + added;
         b = b.next()) {
        if (static_cast<std::size_t>(b.length()) <= UnbrokenRunMax) continue;
        // The caret is drawn, and moved up and down, through the shaped paragraph: kept, it is
        // not shaped again at every blink of the caret.
        b.layout()->setCacheEnabled(true);
        if (wordWrapMode() != QTextOption::WrapAnywhere && HasUnbrokenRun(Bytes(b.text())))
            SetWrapAnywhere(true);
    }
}

void TMsRichEdit::Replace(const std::function<void(QTextCursor&)>& fill, bool unbroken) {
    QTextDocument* d = document();
    // Replacing the whole document is not a step the user can undo, as in the old control.
    d->setUndoRedoEnabled(false);
    QTextCursor c(d);
    c.beginEditBlock();
    c.select(QTextCursor::Document);
    c.removeSelectedText();
    SetWrapAnywhere(unbroken); // while the document is empty: nothing is laid out twice
    fill(c);
    c.endEditBlock();
    d->setUndoRedoEnabled(true);
    setTextCursor(QTextCursor(d));
}

void TMsRichEdit::SetText(std::string_view text) {
    SetText(text, QString());
}

void TMsRichEdit::SetText(std::string_view text, const QString& fontFamily) {
    // The new text takes the format of the old text's first character.
    QTextCursor first(document());
    first.movePosition(QTextCursor::NextCharacter);
    QTextCharFormat format = document()->isEmpty() ? currentCharFormat() : first.charFormat();
    if (!fontFamily.isEmpty()) format.setFontFamilies(QStringList{fontFamily});
    const QTextBlockFormat block = document()->begin().blockFormat();
    const QString chars = Chars(text);
    Replace(
        [&](QTextCursor& c) {
            c.setBlockFormat(block);
            c.setBlockCharFormat(format);
            c.insertText(chars, format);
        },
        HasUnbrokenRun(text));
    setCurrentCharFormat(format);
}

TRtfDocument TMsRichEdit::Range(int from, int to) const {
    TRtfDocument doc;
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() <= to;
         b = b.next()) {
        TRtfParagraph& p = doc.Paragraphs.emplace_back();
        p.Format = ParaFormatOf(b.blockFormat());
        p.MarkFormat = CharFormatOf(b.charFormat());
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const int s = std::max(f.position(), from);
            const int e = std::min(f.position() + f.length(), to);
            if (s < e)
                doc.AddText(Bytes(f.text().mid(s - f.position(), e - s)),
                            CharFormatOf(f.charFormat()));
        }
    }
    return doc;
}

TRtfDocument TMsRichEdit::Document() const {
    return Range(0, document()->characterCount() - 1);
}

// For other programs: letters in Unicode, in the face the screen font was made from.
TRtfDocument TMsRichEdit::UnicodeDocument() const {
    std::optional<TUnicodeWriter> table; // read once for all the runs
    try {
        if (!ClipboardTable.empty()) table.emplace(ClipboardTable);
    } catch (const std::exception&) {
        // without the table, the bytes' own characters
    }
    return DocumentInUnicode(Document(), [&](std::string_view bytes) {
        return table ? (*table)(bytes) : ToUnicode(bytes);
    });
}

void TMsRichEdit::Insert(QTextCursor& c, const TRtfDocument& doc) const {
    InsertParagraphs(c, doc, Chars);
}

void TMsRichEdit::SetDocument(const TRtfDocument& doc) {
    Replace(
        [&](QTextCursor& c) {
            if (!doc.Paragraphs.empty()) {
                c.setBlockFormat(ToQt(doc.Paragraphs[0].Format));
                c.setBlockCharFormat(ToQt(doc.Paragraphs[0].MarkFormat));
            }
            Insert(c, doc);
        },
        HasUnbrokenRun(doc));
    QTextCursor start(document());
    setCurrentCharFormat(doc.Paragraphs.empty() || doc.Paragraphs[0].Runs.empty()
                             ? start.blockCharFormat()
                             : ToQt(doc.Paragraphs[0].Runs[0].Format));
}

std::string TMsRichEdit::TextRTF() const {
    return WriteRtf(Document());
}

bool TMsRichEdit::SetTextRTF(std::string_view rtf) {
    TRtfDocument doc;
    if (!ReadRtf(rtf, doc)) return false;
    SetDocument(doc);
    return true;
}

TRtfCharFormat TMsRichEdit::CharFormatOf(const QTextCharFormat& format) const {
    const QFont f = format.font().resolve(document()->defaultFont());
    TRtfCharFormat c;
    c.FontName = f.family().toStdString();
    c.HalfPoints = qRound(f.pointSizeF() * 2);
    c.Bold = f.bold();
    c.Italic = f.italic();
    c.Underline = f.underline();
    return c;
}

// ---- selection -------------------------------------------------------------------------

int TMsRichEdit::SelStart() const {
    return DocToText(textCursor().selectionStart());
}

void TMsRichEdit::SetSelStart(int pos) {
    QTextCursor c = textCursor();
    c.setPosition(TextToDoc(pos));
    setTextCursor(c);
}

int TMsRichEdit::SelLength() const {
    const QTextCursor c = textCursor();
    return DocToText(c.selectionEnd()) - DocToText(c.selectionStart());
}

void TMsRichEdit::SetSelLength(int length) {
    QTextCursor c = textCursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    c.setPosition(TextToDoc(DocToText(start) + std::max(length, 0)), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

namespace {

std::string SelectedBytes(const QTextCursor& cursor) {
    std::string text;
    for (QChar c : cursor.selectedText()) {
        if (c == QChar::ParagraphSeparator) {
            text += "\r\n";
        } else {
            const int b = CharToByte(c.unicode());
            text += static_cast<char>(b >= 0 ? b : '?');
        }
    }
    return text;
}

} // namespace

std::string TMsRichEdit::SelText() const {
    return SelectedBytes(textCursor());
}

std::string TMsRichEdit::WordDeletion(bool before) const {
    QTextCursor c = textCursor();
    if (!c.hasSelection())
        c.movePosition(before ? QTextCursor::PreviousWord : QTextCursor::NextWord,
                       QTextCursor::KeepAnchor);
    return SelectedBytes(c);
}

void TMsRichEdit::SetSelText(std::string_view text) {
    QTextCursor c = textCursor();
    c.insertText(Chars(text));
    setTextCursor(c);
}

TCaretText TMsRichEdit::CaretText() const {
    const QTextCursor c = textCursor();
    const QTextBlock b = document()->findBlock(c.selectionStart());
    TCaretText t;
    t.Offset = static_cast<std::size_t>(b.position() + b.blockNumber());
    if (b.previous().isValid()) {
        t.Bytes = "\r\n";
        t.Offset -= 2;
    }
    t.Bytes += Bytes(b.text());
    if (b.next().isValid()) t.Bytes += "\r\n";
    t.Caret = static_cast<std::size_t>(DocToText(c.selectionStart()));
    t.SelLength = static_cast<std::size_t>(SelLength());
    t.Length = static_cast<std::size_t>(TextLength());
    return t;
}

namespace {

bool WithinParagraph(std::string_view delims) {
    return delims.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

TSegment TMsRichEdit::FindSegment(std::string_view delims) const {
    if (WithinParagraph(delims)) return CaretText().Segment(delims);
    return tavi::FindSegment(Text(), SelStart(), delims);
}

std::string TMsRichEdit::GetSegment(std::string_view delims) const {
    if (WithinParagraph(delims)) return CaretText().SegmentText(delims);
    const TSegment s = FindSegment(delims);
    return Text().substr(s.Start, s.End - s.Start);
}

void TMsRichEdit::SelectSegment(std::string_view delims) {
    const TSegment s = FindSegment(delims);
    QTextCursor c = textCursor();
    c.setPosition(TextToDoc(static_cast<int>(s.Start)));
    if (s.End >= s.Start)
        c.setPosition(TextToDoc(static_cast<int>(s.End)), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

namespace {

// The screen line of a position: its block and the line within the block's layout.
struct TScreenLine {
    QTextBlock Block;
    QTextLine Line;
};

TScreenLine ScreenLine(const QTextDocument* d, int pos) {
    TScreenLine s;
    s.Block = d->findBlock(pos);
    if (!s.Block.isValid()) s.Block = d->lastBlock();
    d->documentLayout()->blockBoundingRect(s.Block); // lays the document out up to here
    if (QTextLayout* layout = s.Block.layout(); layout && layout->lineCount() > 0) {
        s.Line = layout->lineForTextPosition(pos - s.Block.position());
        if (!s.Line.isValid()) s.Line = layout->lineAt(layout->lineCount() - 1);
    }
    return s;
}

} // namespace

// The layout keeps no running count of screen lines, so the lines of the blocks before are
// counted: the one query here that grows with the document.
int TMsRichEdit::CaretLine() const {
    const TScreenLine s = ScreenLine(document(), textCursor().selectionStart());
    int number = s.Line.isValid() ? s.Line.lineNumber() : 0;
    for (QTextBlock b = document()->begin(); b != s.Block; b = b.next())
        number += std::max(1, b.layout() ? b.layout()->lineCount() : 1);
    return number;
}

int TMsRichEdit::CaretColumn() const {
    const int pos = textCursor().selectionStart();
    const TScreenLine s = ScreenLine(document(), pos);
    const int lineStart = s.Block.position() + (s.Line.isValid() ? s.Line.textStart() : 0);
    return DocToText(pos) - DocToText(lineStart);
}

int TMsRichEdit::CaretLetterColumn() const {
    const int pos = textCursor().selectionStart();
    const TScreenLine s = ScreenLine(document(), pos);
    const int lineStart = s.Line.isValid() ? s.Line.textStart() : 0;
    const std::string before =
        Bytes(s.Block.text().mid(lineStart, pos - s.Block.position() - lineStart));
    return static_cast<int>(LetterCount(before, !BrailleDisplay()));
}

std::string TMsRichEdit::GetCaretLineText() const {
    const TScreenLine s = ScreenLine(document(), textCursor().selectionStart());
    const QString text = s.Block.text();
    std::string line =
        s.Line.isValid() ? Bytes(text.mid(s.Line.textStart(), s.Line.textLength())) : Bytes(text);
    const bool lastLine =
        !s.Line.isValid() || s.Line.textStart() + s.Line.textLength() >= text.size();
    if (lastLine && s.Block.next().isValid()) line += "\r\n";
    if (line.size() > LineTextMax) line.resize(LineTextMax);
    return line;
}

// ---- commands --------------------------------------------------------------------------

void TMsRichEdit::CopySelection() {
    copy();
}

void TMsRichEdit::CutSelection() {
    cut();
}

void TMsRichEdit::PasteClipboard() {
    paste();
}

void TMsRichEdit::ClearSelection() {
    QTextCursor c = textCursor();
    c.removeSelectedText();
    setTextCursor(c);
}

void TMsRichEdit::SelectAllText() {
    selectAll();
}

bool TMsRichEdit::CanUndo() const {
    return document()->isUndoAvailable();
}

void TMsRichEdit::Undo() {
    undo();
}

void TMsRichEdit::EmptyUndoBuffer() {
    document()->clearUndoRedoStacks();
}

int TMsRichEdit::Find(std::string_view text, int start, int end, int options) {
    const std::size_t at = FindText(Text(), text, static_cast<std::size_t>(std::max(start, 0)),
                                    static_cast<std::size_t>(std::max(end, 0)), options);
    if (at == std::string_view::npos) return -1;
    QTextCursor c = textCursor();
    c.setPosition(TextToDoc(static_cast<int>(at)));
    c.setPosition(TextToDoc(static_cast<int>(at + text.size())), QTextCursor::KeepAnchor);
    setTextCursor(c);
    return static_cast<int>(at);
}

int TMsRichEdit::ReplaceAll(std::string_view text, std::string_view with, int options) {
    const std::vector<std::size_t> found = FindAll(Text(), text, options);
    if (found.empty()) return 0;
    const QString replacement = Chars(with);
    QTextCursor c(document());
    c.beginEditBlock();
    // From the last match back, so that the positions of the others stay as they were found.
    for (auto it = found.rbegin(); it != found.rend(); ++it) {
        c.setPosition(TextToDoc(static_cast<int>(*it)));
        c.setPosition(TextToDoc(static_cast<int>(*it + text.size())), QTextCursor::KeepAnchor);
        c.insertText(replacement);
    }
    c.endEditBlock();
    // Every match before the last moved it by the difference in length.
    const auto shift = static_cast<long long>(with.size()) - static_cast<long long>(text.size());
    const auto count = static_cast<long long>(found.size());
    SetSelStart(static_cast<int>(static_cast<long long>(found.back()) + (count - 1) * shift +
                                 static_cast<long long>(with.size())));
    return static_cast<int>(count);
}

// ---- formatting ------------------------------------------------------------------------

QTextCharFormat TMsRichEdit::SelCharFormat() const {
    const QTextCursor c = textCursor();
    if (!c.hasSelection()) return currentCharFormat();
    QTextCursor first(document());
    first.setPosition(c.selectionStart() + 1); // the format of the character before it
    return first.charFormat();
}

void TMsRichEdit::MergeSelCharFormat(const QTextCharFormat& format) {
    QTextCursor c = textCursor();
    c.beginEditBlock();
    if (c.hasSelection()) {
        c.mergeCharFormat(format);
        c.mergeBlockCharFormat(format); // the paragraph marks in it, as on an empty line
    } else if (c.block().length() == 1) {
        c.mergeBlockCharFormat(format);
    }
    c.endEditBlock();
    if (!c.hasSelection()) mergeCurrentCharFormat(format); // what is typed next
}

void TMsRichEdit::MergeAllCharFormat(const QTextCharFormat& format) {
    QTextCursor c(document());
    c.beginEditBlock();
    c.select(QTextCursor::Document);
    c.mergeCharFormat(format);
    c.mergeBlockCharFormat(format);
    c.endEditBlock();
    mergeCurrentCharFormat(format);
}

void TMsRichEdit::SetAllFontName(const QString& family) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{family});
    MergeAllCharFormat(f);
}

bool TMsRichEdit::AllInFont(const QString& family, double points) const {
    const auto in = [&](const QTextCharFormat& f) {
        return f.fontFamilies().toStringList() == QStringList{family} &&
               (points <= 0 || f.fontPointSize() == points);
    };
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        if (!in(b.charFormat())) return false;
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (!in(it.fragment().charFormat())) return false;
    }
    return true;
}

// Every change of format lays the whole document out again: a document of one long paragraph
// that is already in the face and size is left alone.
void TMsRichEdit::SetDocumentFont(const QString& family, double points) {
    if (AllInFont(family, points)) return;
    QTextCharFormat f;
    f.setFontFamilies(QStringList{family});
    if (points > 0) f.setFontPointSize(points);
    MergeAllCharFormat(f);
}

bool TMsRichEdit::Formatted() const {
    return !PlainText || FileKind == FileKindDoc || FileKind == FileKindWri ||
           FileKind == FileKindPackage;
}

void TMsRichEdit::SetAllFontSize(double points) {
    QTextCharFormat f;
    f.setFontPointSize(std::clamp(points, 1.0, 1638.0));
    MergeAllCharFormat(f);
}

void TMsRichEdit::MergeSelBlockFormat(const QTextBlockFormat& format) {
    QTextCursor c = textCursor();
    c.mergeBlockFormat(format);
}

QString TMsRichEdit::SelFontName() const {
    return QString::fromStdString(CharFormatOf(SelCharFormat()).FontName);
}

void TMsRichEdit::SetSelFontName(const QString& family) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{family});
    MergeSelCharFormat(f);
}

double TMsRichEdit::SelFontSize() const {
    return SelCharFormat().font().resolve(document()->defaultFont()).pointSizeF();
}

void TMsRichEdit::SetSelFontSize(double points) {
    QTextCharFormat f;
    f.setFontPointSize(std::clamp(points, 1.0, 1638.0));
    MergeSelCharFormat(f);
}

bool TMsRichEdit::SelBold() const {
    return CharFormatOf(SelCharFormat()).Bold;
}

void TMsRichEdit::SetSelBold(bool on) {
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    MergeSelCharFormat(f);
}

bool TMsRichEdit::SelItalic() const {
    return CharFormatOf(SelCharFormat()).Italic;
}

void TMsRichEdit::SetSelItalic(bool on) {
    QTextCharFormat f;
    f.setFontItalic(on);
    MergeSelCharFormat(f);
}

bool TMsRichEdit::SelUnderline() const {
    return CharFormatOf(SelCharFormat()).Underline;
}

void TMsRichEdit::SetSelUnderline(bool on) {
    QTextCharFormat f;
    f.setFontUnderline(on);
    MergeSelCharFormat(f);
}

int TMsRichEdit::SelAlignment() const {
    return AlignmentOf(document()->findBlock(textCursor().selectionStart()).blockFormat());
}

void TMsRichEdit::SetSelAlignment(int alignment) {
    TRtfParaFormat p;
    p.Alignment = alignment;
    QTextBlockFormat f;
    f.setAlignment(ToQt(p).alignment());
    MergeSelBlockFormat(f);
}

int TMsRichEdit::SelIndent() const {
    return qRound(document()->findBlock(textCursor().selectionStart()).blockFormat().leftMargin());
}

void TMsRichEdit::SetSelIndent(int pixels) {
    QTextBlockFormat f;
    f.setLeftMargin(pixels);
    MergeSelBlockFormat(f);
}

int TMsRichEdit::SelRightIndent() const {
    return qRound(document()->findBlock(textCursor().selectionStart()).blockFormat().rightMargin());
}

void TMsRichEdit::SetSelRightIndent(int pixels) {
    QTextBlockFormat f;
    f.setRightMargin(pixels);
    MergeSelBlockFormat(f);
}

void TMsRichEdit::SetRightMargin(int pixels) {
    if (pixels > 0) {
        setLineWrapMode(QTextEdit::FixedPixelWidth);
        setLineWrapColumnOrWidth(pixels);
    } else {
        setLineWrapMode(QTextEdit::WidgetWidth);
    }
}

// ---- files -----------------------------------------------------------------------------

int TMsRichEdit::GetFileKind(const QString& name) {
    const QString ext = QFileInfo(name).suffix().toLower();
    if (ext == "doc") return FileKindDoc;
    if (ext == "wri") return FileKindWri;
    if (ext == "htm" || ext == "html") return FileKindHtml;
    if (ext == "docx" || ext == "odt") return FileKindPackage;
    return FileKindText;
}

std::string TMsRichEdit::HtmlToText(const QString& name) {
    try {
        return HtmlFileToText(QFile::encodeName(name).toStdString());
    } catch (const std::exception&) {
        return {};
    }
}

bool TMsRichEdit::Refuse(TFileFailure why) {
    FileFailure = std::move(why);
    return false;
}

namespace {

const TFileFailure Oversized{TFileReason::TooLarge, {}};

std::size_t TextSize(const TRtfDocument& doc) {
    std::size_t size = 0;
    for (const TRtfParagraph& p : doc.Paragraphs)
        for (const TRtfRun& r : p.Runs) size += r.Text.size() + 2;
    return size;
}

std::filesystem::path PathOf(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

} // namespace

bool TMsRichEdit::ImportThroughConverter(const QString& name, int kind) {
    if (TFileFailure f = CheckDocumentFile(PathOf(name), MaxConvertedFileSize); f.Failed())
        return Refuse(std::move(f));
    if (kind == FileKindPackage) {
        const auto unpacked = PackageUnpackedSize(PathOf(name));
        if (unpacked && *unpacked > MaxUnpackedPackage) return Refuse(Oversized);
    }
    TRtfDocument doc;
    if (TFileFailure f = ImportWordDocument(name, kind, doc, Conversion); f.Failed())
        return Refuse(std::move(f));
    if (TextSize(doc) > MaxDocumentFileSize) return Refuse(Oversized);
    SetDocument(doc);
    FLineBreak = "\r\n";
    FileKind = kind;
    PlainText = true;
    return true;
}

bool TMsRichEdit::LoadFromFile(const QString& name) {
    FileFailure = {};
    const int kind = GetFileKind(name);
    if (kind == FileKindDoc || kind == FileKindWri || kind == FileKindPackage)
        return ImportThroughConverter(name, kind);
    std::string data;
    if (TFileFailure f = ReadDocumentFile(PathOf(name), MaxDocumentFileSize, data); f.Failed())
        return Refuse(std::move(f));
    // An office document under another name is still an office document.
    switch (PackageOf(data)) {
    case TPackage::Ole: return ImportThroughConverter(name, FileKindDoc);
    case TPackage::Zip: return ImportThroughConverter(name, FileKindPackage);
    case TPackage::None: break;
    }
    return LoadText(data, kind);
}

bool TMsRichEdit::LoadText(std::string_view data, int kind) {
    TRtfDocument doc;
    const bool rtf = kind != FileKindHtml && LooksLikeRtf(data);
    // RTF that the reader refuses nests its groups deeper than any word processor writes.
    if (rtf && !ReadRtf(data, doc)) return Refuse({TFileReason::TooDeep, {}});
    FileKind = kind;
    if (kind == FileKindHtml) {
        SetText(tavi::HtmlToText(data));
        FLineBreak = "\r\n";
        PlainText = true;
    } else if (rtf) {
        SetDocument(doc);
        FLineBreak = "\r\n";
        PlainText = false;
    } else {
        SetText(data);
        FLineBreak = LineBreakOf(data);
        PlainText = true;
    }
    return true;
}

bool TMsRichEdit::SaveToFile(const QString& name) {
    FileFailure = {};
    if (GetFileKind(name) == FileKindPackage) {
        TFileFailure f = ExportOfficeDocument(WriteRtf(UnicodeDocument(), true), name, Conversion);
        if (f.Failed()) return Refuse(std::move(f));
        PlainText = false;
        return true;
    }
    const bool plain = QFileInfo(name).suffix().compare("txt", Qt::CaseInsensitive) == 0;
    std::string data;
    if (plain) {
        data = Text();
        if (FLineBreak != "\r\n") {
            std::string out;
            for (std::size_t i = 0; i < data.size(); ++i) {
                if (data.compare(i, 2, "\r\n") == 0) {
                    out += FLineBreak;
                    ++i;
                } else {
                    out += data[i];
                }
            }
            data = std::move(out);
        }
    } else {
        data = TextRTF();
    }
    try {
        SaveFileWhole(QFile::encodeName(name).toStdString(), data);
    } catch (const EFileFailure& e) {
        return Refuse(e.Failure); // the old file is as it was
    } catch (const std::exception& e) {
        return Refuse({TFileReason::Other, e.what()});
    }
    PlainText = plain;
    return true;
}

bool TMsRichEdit::ConvertDocument(const std::string& tableName) {
    try {
        // The table is detected on the text itself, not on the RTF around it, whose font
        // table and control words could fill the whole sample.
        TVnCodeConverter detector;
        const std::string source =
            detector.DetectCodeTable(std::string_view(Text()).substr(0, DetectSampleSize));
        TVnCodeConverter conv;
        conv.SetSourceTable(source);
        conv.SetDestTable(tableName);
        if (!conv.Converts()) return true;
        const TRtfDocument before = Document();
        TRtfDocument doc = before;
        ConvertRuns(doc, [&](std::string_view text) {
            conv.InStream.Data = text;
            conv.Convert();
            return conv.OutStream.Data;
        });
        if (!(doc == before)) SetDocument(doc);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// ---- keys ------------------------------------------------------------------------------

bool TMsRichEdit::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride && IsCommandKey &&
        IsCommandKey(*static_cast<QKeyEvent*>(e))) {
        e->ignore(); // the shortcut goes to the command
        return true;
    }
    return QTextEdit::event(e);
}

void TMsRichEdit::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Insert) return e->accept();
    // The key-down handler sees the key before the keyboards act on its character; a
    // character that a keyboard types itself has no key-down.
    if (OnKeyDown && !IsKeyboardDelivery(*e)) {
        int key = e->key();
        OnKeyDown(key, e->modifiers());
        if (key == 0) return e->accept();
    }
    QString text = e->text();
    Qt::KeyboardModifiers mods = e->modifiers();
    const TKeyVerdict verdict = RunKeyboards(this, *e);
    if (verdict.Kind == TKeyVerdict::Suppress) {
        text.clear();
    } else if (verdict.Kind == TKeyVerdict::Retype) {
        text = QChar(ByteToChar(verdict.Char));
        mods &= ~(Qt::AltModifier | Qt::ControlModifier); // typed text, not a command
    }
    // A key that types: every character it types is one byte, which the key-press handler
    // sees and may change or drop. A character key with no text types the byte 0.
    const bool types = !text.isEmpty() || e->key() < Qt::Key_Escape;
    QString typed;
    if (types) {
        std::string bytes = text.isEmpty() ? std::string(1, '\0') : Bytes(text);
        std::string kept;
        for (char ch : bytes) {
            if (OnKeyPress) OnKeyPress(ch);
            if (ch != 0) kept += ch;
        }
        if (kept.empty()) return e->accept();
        typed = Chars(kept);
    }
    // Shift+Enter would make a line break inside the paragraph, which the document has no byte
    // for: it breaks the paragraph, as Enter does.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) mods &= ~Qt::ShiftModifier;
    if (typed == e->text() && mods == e->modifiers()) return QTextEdit::keyPressEvent(e);
    QKeyEvent changed(e->type(), e->key(), mods, e->nativeScanCode(), e->nativeVirtualKey(),
                      e->nativeModifiers(), typed, e->isAutoRepeat(), e->count());
    QTextEdit::keyPressEvent(&changed);
    // A key a keyboard took is done with, whether or not the editor used what is left of it.
    e->setAccepted(changed.isAccepted() || verdict.Kind != TKeyVerdict::Pass);
}

void TMsRichEdit::keyReleaseEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Insert) return e->accept();
    int key = e->key();
    if (OnKeyUp) {
        OnKeyUp(key, e->modifiers());
        if (key == 0) return e->accept();
    }
    QTextEdit::keyReleaseEvent(e);
}

void TMsRichEdit::focusInEvent(QFocusEvent* e) {
    QTextEdit::focusInEvent(e);
    // Coming back from a menu, a dialog or another program is not entering the editor.
    switch (e->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason: return;
    default:
        if (OnEnter) OnEnter();
    }
}

void TMsRichEdit::inputMethodEvent(QInputMethodEvent* e) {
    e->accept(); // refused: see the constructor
}

// ---- clipboard -------------------------------------------------------------------------

std::string TMsRichEdit::ToUnicode(std::string_view bytes) const {
    if (!ClipboardTable.empty()) {
        try {
            return TableToUnicode(bytes, ClipboardTable);
        } catch (const std::exception&) {
            // without the table, the bytes' own characters
        }
    }
    std::string out;
    for (char b : bytes) AppendUtf8(out, ByteToChar(static_cast<unsigned char>(b)));
    return out;
}

std::string TMsRichEdit::FromUnicode(const QString& text) const {
    const std::string utf8 = text.normalized(QString::NormalizationForm_C).toStdString();
    if (!ClipboardTable.empty()) {
        try {
            return UnicodeToTable(utf8, ClipboardTable);
        } catch (const std::exception&) {
            // without the table, the characters' own bytes
        }
    }
    return CharsToDocument(DecodeUtf8(utf8), false);
}

QMimeData* TMsRichEdit::createMimeDataFromSelection() const {
    const QTextCursor c = textCursor();
    const TRtfDocument doc = Range(c.selectionStart(), c.selectionEnd());
    auto* mime = new QMimeData;
    const std::string rtf = WriteRtf(doc);
    mime->setData(MimeRtf, QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size())));
    mime->setText(QString::fromStdString(ToUnicode(doc.PlainText("\n"))));
    return mime;
}

bool TMsRichEdit::canInsertFromMimeData(const QMimeData* source) const {
    // Dropped files are for the window to open, not text to insert.
    return source->hasFormat(MimeRtf) || (source->hasText() && !source->hasUrls());
}

void TMsRichEdit::insertFromMimeData(const QMimeData* source) {
    QTextCursor c = textCursor();
    TRtfDocument doc;
    const QByteArray rtf = source->data(MimeRtf);
    if (!source->hasFormat(MimeRtf) ||
        !ReadRtf(std::string_view(rtf.constData(), rtf.size()), doc)) {
        if (!source->hasText()) return;
        const std::string text = FromUnicode(source->text());
        if (HasUnbrokenRun(text)) SetWrapAnywhere(true);
        c.insertText(Chars(text));
        setTextCursor(c);
        return;
    }
    if (HasUnbrokenRun(doc)) SetWrapAnywhere(true);
    c.beginEditBlock();
    c.removeSelectedText();
    Insert(c, doc);
    c.endEditBlock();
    setTextCursor(c);
}

} // namespace tavi
