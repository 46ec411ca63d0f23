// What the mail windows need from the main window: its voice (ITalker) and a few of its
// services. They talk only through this, so that they can be tested with a recorder.
#pragma once

#include "dialogs/talker.h"
#include "mail/lettertext.h"

#include <string>

class QAction;
class QDialog;

namespace tavi {

class IMailHost : public ITalker {
public:
    // The speech language: the English engine and labels (MEnglish).
    virtual bool EnglishSpeech() const = 0;
    // Punctuation read by its own sound (MRCharCtrl).
    virtual bool ReadControlChars() const = 0;
    // Every dialog the mail windows open runs through this.
    virtual int ShowModal(QDialog& dialog) = 0;
    // The save dialog with its overwrite question: the file to write, or empty.
    virtual std::string AskSaveName() = 0;
    // Puts text ("Vni for Win") into the document at the caret, in place of the selection.
    virtual void InsertIntoDocument(const std::string& text) = 0;
    // The Pause key, as everywhere in the program.
    virtual void PauseKey() = 0;
    // The spoken name of a menu entry the highlight moved to.
    virtual void MenuEntryHovered(QAction* action) = 0;
    // The send window for an answer begun this way; the answer goes if the user sends it.
    virtual void AnswerLetter(const TLetterAnswer& answer) = 0;
};

} // namespace tavi
