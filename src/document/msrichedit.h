// The editor control: the document the main window edits, speaks, converts, loads and saves.
//
// The document is 8-bit text ("Vni for Win" in text display, Braille bytes in Braille display).
// The widget holds one character per byte (platform/bytechars), so every position, length and
// "character before the caret" here is a byte position, and a two-byte VNI letter really is
// two positions. A paragraph break is the two bytes CR LF in Text and in every position, as in
// the program's files: a caret never stands between them.
#pragma once

#include "codes/tablenames.h"
#include "document/converterrun.h"
#include "document/docsnapshot.h"
#include "document/doctext.h"
#include "document/rtf.h"

#include <QTextEdit>

class QTextBlock;
class QTimer;

#include <functional>
#include <string>
#include <string_view>

namespace tavi {

// File kinds, chosen by the file name's extension (letter case ignored).
constexpr int FileKindText = 0; // anything else: rich text or plain text
constexpr int FileKindDoc = 1;  // ".doc"
constexpr int FileKindWri = 2;  // ".wri"
constexpr int FileKindHtml = 3; // ".htm", ".html"
// ".docx", ".odt" and the other office packages, and any zip package whatever its name
constexpr int FileKindPackage = 4;

// Files larger than this are refused by LoadFromFile (laying out 32 MB of text on the screen
// takes some ten seconds already), and so is a converted document holding more text.
constexpr qint64 MaxDocumentFileSize = 32 << 20;
// Office documents may be larger, their pictures taking most of the room; but a package that
// unpacks to more than this would keep the converter busy for many minutes.
constexpr qint64 MaxConvertedFileSize = qint64(128) << 20;
constexpr std::uint64_t MaxUnpackedPackage = std::uint64_t(256) << 20;

class TMsRichEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit TMsRichEdit(QWidget* parent = nullptr);

    // The document was loaded, or is to be handled, as plain text.
    bool PlainText = false;
    // Kind of the last file loaded.
    int FileKind = FileKindText;
    // The last document loaded carries formatting of its own: RTF, or an office document.
    bool Formatted() const;
    // The code table of the text that the editor exchanges with other programs through the
    // clipboard (they get and give Unicode). Empty: Windows-1252 characters.
    std::string ClipboardTable = VniWinTable;
    // The text is Braille cells (Braille display): assistive technology reads it as Unicode
    // Braille patterns rather than letters. The owner, who decides the display, answers.
    std::function<bool()> BrailleDisplay = [] { return false; };
    // How loading and saving watch the outside program that converts office documents.
    TConversionWatch Conversion;
    // Why the last LoadFromFile or SaveToFile failed.
    TFileFailure FileFailure;

    // Events, named like the window's handlers. A key handler that sets key (or ch) to 0 keeps
    // the key from the editor. OnKeyPress sees the byte a key types (0 for a character key that
    // types nothing, as after the accent keyboard replaced it). The Insert key reaches none of
    // them: it does nothing at all in the editor.
    std::function<void(int& key, Qt::KeyboardModifiers shift)> OnKeyDown;
    std::function<void(int& key, Qt::KeyboardModifiers shift)> OnKeyUp;
    std::function<void(char& ch)> OnKeyPress;
    std::function<void()> OnChange;    // text or formatting changed
    std::function<void()> OnSelChange; // caret or selection moved
    std::function<void()> OnEnter;     // the keyboard came to the editor from another control
    // True for a key that is a command of the window (its menu shortcut): the editor leaves
    // it to the command even where it has a use of its own (Ctrl+A, Ctrl+C…).
    std::function<bool(const QKeyEvent& key)> IsCommandKey;

    // Files.
    static int GetFileKind(const QString& name);
    // Loads by file kind; false (and the document unchanged, FileFailure saying why) when the
    // file cannot be read, is too large, or no converter reads it.
    bool LoadFromFile(const QString& name);
    // ".txt" (any case) as plain text, ".docx" and ".odt" in their own formats (the text in
    // Unicode, through the converter), anything else as RTF. Writes beside the file and renames
    // over it only when everything was written, so a failed save returns false (FileFailure
    // saying why) and leaves the old file as it was.
    bool SaveToFile(const QString& name);
    // Converts the whole document into a code table, detecting the table it is in, run by
    // run: the formatting stays. False (and the document unchanged) when a table cannot be
    // read.
    bool ConvertDocument(const std::string& tableName);
    // A web page's text; empty when the file cannot be read.
    static std::string HtmlToText(const QString& name);

    // The text and its parts, in bytes.
    const std::string& Text() const;
    // Up to count bytes of Text from pos on (fewer at its end), taken from the paragraphs they
    // lie in, so that a part of a large document is read without the whole being built.
    std::string TextWindow(std::size_t pos, std::size_t count) const;
    void SetText(std::string_view text);
    // The same in another face: one change, one layout (a large document is laid out once).
    void SetText(std::string_view text, const QString& fontFamily);
    std::string TextRTF() const;
    bool SetTextRTF(std::string_view rtf); // false (document unchanged) for data that is no RTF
    TRtfDocument Document() const;
    // The document with its text in Unicode (UTF-8), as other programs are given it.
    TRtfDocument UnicodeDocument() const;
    void SetDocument(const TRtfDocument& doc);
    // The document copied for another thread to turn into Document(); cheap while the user
    // types (docsnapshot.h).
    TDocumentSnapshot Snapshot() const;
    // From now on the copies that Snapshot takes are made in idle moments, a little at a time,
    // so that no snapshot after a large change costs the typing thread the whole document.
    void PrepareSnapshots();
    int TextLength() const;
    int SelStart() const;
    void SetSelStart(int pos); // collapses the selection there
    int SelLength() const;
    void SetSelLength(int length);
    std::string SelText() const;
    void SetSelText(std::string_view text); // replaces the selection

    // The caret's paragraph and what the key handlers need around it, without the whole text.
    TCaretText CaretText() const;
    // Segments whose delimiters include CR or LF are found in the caret's paragraph alone.
    TSegment FindSegment(std::string_view delims) const;
    std::string GetSegment(std::string_view delims) const;
    void SelectSegment(std::string_view delims);
    int CaretLine() const;   // screen line of the caret, from 0
    int CaretColumn() const; // from the start of that line, from 0
    // The same in letters, as the user counts them: a letter with its mark is one (text display).
    int CaretLetterColumn() const;
    std::string GetCaretLineText() const; // that line with its paragraph break, at most 256 bytes

    // What Ctrl+Backspace (before) or Ctrl+Delete takes away: the selection, else the text to
    // the start of the word before the caret or to the start of the next word.
    std::string WordDeletion(bool before) const;
    void CopySelection();
    void CutSelection();
    void PasteClipboard();
    void ClearSelection();
    void SelectAllText();
    bool CanUndo() const;
    void Undo();
    void EmptyUndoBuffer();
    // The first match between start and end (options: FindWholeWord, FindMatchCase), selected;
    // -1 when there is none.
    int Find(std::string_view text, int start, int end, int options);
    // Replaces every match of text by with, as one step that one undo takes back; returns how
    // many there were. The caret ends after the last replacement.
    int ReplaceAll(std::string_view text, std::string_view with, int options);

    // Formatting of the selection (of the caret's insertion point when nothing is selected).
    QString SelFontName() const;
    void SetSelFontName(const QString& family);
    double SelFontSize() const; // points
    void SetSelFontSize(double points);
    bool SelBold() const;
    void SetSelBold(bool on);
    bool SelItalic() const;
    void SetSelItalic(bool on);
    bool SelUnderline() const;
    void SetSelUnderline(bool on);
    int SelAlignment() const; // AlignLeft, AlignRight, AlignCenter
    void SetSelAlignment(int alignment);
    int SelIndent() const; // pixels
    void SetSelIndent(int pixels);
    int SelRightIndent() const;
    void SetSelRightIndent(int pixels);
    // The face or size of the whole document and of what is typed next; the selection stays.
    void SetAllFontName(const QString& family);
    void SetAllFontSize(double points);
    // Both at once (points 0: the face alone), in one change, and none when the whole document
    // has them already.
    void SetDocumentFont(const QString& family, double points);
    // Lines wrap at this width (pixels); 0 wraps at the window's edge.
    void SetRightMargin(int pixels);

    // Positions: Text's (CR LF breaks) and the widget's (one per break).
    int DocToText(int pos) const;
    int TextToDoc(int pos) const;

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void Replace(const std::function<void(QTextCursor&)>& fill, bool unbroken);
    void SetWrapAnywhere(bool on);
    void WatchLongParagraphs(int from, int added);
    bool ImportThroughConverter(const QString& name, int kind);
    bool LoadText(std::string_view data, int kind);
    bool Refuse(TFileFailure why);
    TRtfDocument Range(int from, int to) const;
    void Insert(QTextCursor& cursor, const TRtfDocument& doc) const;
    QTextCharFormat SelCharFormat() const;
    void MergeSelCharFormat(const QTextCharFormat& format);
    void MergeAllCharFormat(const QTextCharFormat& format);
    bool AllInFont(const QString& family, double points) const;
    void MergeSelBlockFormat(const QTextBlockFormat& format);
    TRtfCharFormat CharFormatOf(const QTextCharFormat& format) const;
    std::string ToUnicode(std::string_view bytes) const;
    std::string FromUnicode(const QString& text) const;

    // The paragraph whose bytes in Text start at or before pos.
    QTextBlock BlockAtText(int pos) const;
    std::string FLineBreak = "\r\n"; // how plain text files break lines: as the last one loaded
    mutable std::string FText;       // Text(), kept until the document changes
    mutable bool FTextValid = false;
    mutable TParagraphCopies FCopies; // for Snapshot, kept with the document's changes
    QTimer* FCopyTimer = nullptr;     // makes them in idle moments
    int FLastAnchor = -1, FLastPosition = -1;
};

} // namespace tavi
