// The interface fonts of the program: captions, menus, status bar and message boxes. The
// desktop's own fonts are never touched; the program applies these to its own widgets.
#pragma once

#include <QFont>
#include <QObject>

namespace tavi {

class TSysFont : public QObject {
    Q_OBJECT
public:
    explicit TSysFont(QObject* owner = nullptr);

    const QFont& CaptionFont() const { return Caption; }
    const QFont& SmallCaptionFont() const { return SmallCaption; }
    const QFont& MenuFont() const { return Menu; }
    const QFont& StatusFont() const { return Status; }
    const QFont& MessageFont() const { return Message; }

    // Each setter does nothing when handed the font it holds; otherwise it records the font
    // and applies the fonts at once.
    void SetCaptionFont(const QFont& f) { Set(Caption, f); }
    void SetSmallCaptionFont(const QFont& f) { Set(SmallCaption, f); }
    void SetMenuFont(const QFont& f) { Set(Menu, f); }
    void SetStatusFont(const QFont& f) { Set(Status, f); }
    void SetMessageFont(const QFont& f) { Set(Message, f); }

    // Applies all five once, after the owner has set them up.
    void Loaded() { Apply(); }

    // How many times the fonts were applied (each application restyles the program's windows).
    int Applications() const { return Applied; }

private:
    void Set(QFont& slot, const QFont& f);
    void Apply();

    QFont Caption, SmallCaption, Menu, Status, Message;
    int Applied = 0;
};

} // namespace tavi
