// A field of document text (the find and replace fields): it takes what the accent keys or the
// six keys compose and says each letter as it is made, what an arrow passes and what a
// deletion takes, as the editor does.
#pragma once

#include "dialogs/talker.h"

#include <QObject>

#include <functional>
#include <string>

class QKeyEvent;
class QLineEdit;

namespace tavi {

struct TCaretText;

struct TComposingRules {
    bool Braille = false;  // the document is shown in Braille: cells, typed with six keys
    bool English = false;  // the English voice speaks
    std::string HelpKey;   // F1
    bool EnglishF8 = true; // F8 reads the field with the English voice when it is chosen
    std::function<void()> OnEnter;
    std::function<void()> OnEscape;
};

class TComposingField : public QObject {
    Q_OBJECT
public:
    // The field's text is document bytes, one character per byte.
    TComposingField(QLineEdit* field, ITalker& talker, TComposingRules rules);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TCaretText Caret() const;
    void Echo(const std::string& text, bool inBraille = false);
    void SayDeletion(const std::string& piece);
    void ClearByte(int pos);
    void KeyDown(const QKeyEvent& key);
    void TextKeyDown(int key, const TCaretText& t);
    void BrailleKeyDown(int key, const TCaretText& t);
    void PassOrDelete(int key, const TCaretText& t);
    void KeyPress(const QKeyEvent& key);
    void KeyUp(const QKeyEvent& key);
    void Changed();

    QLineEdit* Field;
    ITalker& Talker;
    TComposingRules Rules;
    bool Pending = false; // a key makes a one-byte letter: said once it is in the field
    bool Echoed = false;  // this key's letter or tone was said at key-down
    bool Placed = false;  // the field changed since this key went down
    int LastCaret = 0;    // the caret at the last key-down
};

} // namespace tavi
