// The keyboards' hold on the program's keys: an application-wide event filter that feeds a
// keyboard engine from the key and mouse events of every widget, and lets the engine rewrite
// the edit widget that has the keyboard.
#pragma once

#include "codes/keyinput.h"

#include <QObject>
#include <QStringList>

class QKeyEvent;
class QWidget;

namespace tavi {

// Starts feeding an engine from the program's events. Every install needs a matching remove;
// the engine sees each event once however many components enabled it.
void InstallKeyHook(TKeyEngine& engine);
void RemoveKeyHook(TKeyEngine& engine);
bool KeyHookInstalled(const TKeyEngine& engine);

// A widget whose own key-down handler must see each key before the keyboards act on the key's
// character, as a window's key-down handler ran before the hooks saw the character message:
// the hooks leave its key presses alone, and it runs the keyboards itself with RunKeyboards
// after its key-down handler. Key releases reach the keyboards first, as for every widget.
void SetKeyboardsAfterKeyDown(QWidget* widget);
// The installed keyboards on a key press of such a widget: what becomes of its character.
TKeyVerdict RunKeyboards(QWidget* widget, const QKeyEvent& event);
// The same, with what becomes of the key delivered to the widget as the hooks deliver it (the
// same key with the keyboard's character or none). False when the key goes on unchanged.
bool DeliverThroughKeyboards(QWidget* widget, QKeyEvent* event);
// True for a key press that a keyboard is delivering itself (a typed cell, a replaced
// character): it has no key-down of its own and must not reach the keyboards again.
bool IsKeyboardDelivery(const QKeyEvent& event);

// The text of a keyboard component's Characters: every line followed by CR LF, one byte per
// character (characters that stand for no byte are left out).
std::string CharactersText(const QStringList& lines);

// The key event as the engines see it (key code, modifiers, keypad, text as a byte).
TKeyEvent ToKeyEvent(const QKeyEvent& event);

// A widget as the engines' edit target: QLineEdit, QTextEdit, QPlainTextEdit and editable
// combo boxes hold text; any widget can be sent characters.
class TWidgetTarget : public TEditTarget {
public:
    explicit TWidgetTarget(QWidget* widget) : Widget(widget) {}
    std::string TextBeforeCaret(std::size_t count) override;
    void SelectBeforeCaret(std::size_t count) override;
    void ReplaceSelection(std::string_view bytes) override;
    void SendChar(unsigned char c) override;

private:
    QWidget* Widget;
};

// What the keyboard components share: Enabled installs the engine's hook and removes it again,
// as does destroying an enabled component.
class TKeyComponent : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
public:
    ~TKeyComponent() override;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);

protected:
    TKeyComponent(QObject* owner, TKeyEngine& engine) : QObject(owner), HookEngine(engine) {}

private:
    bool FEnabled = false;
    TKeyEngine& HookEngine;
};

class TKeyboardFilter : public QObject {
    Q_OBJECT
public:
    explicit TKeyboardFilter(TKeyEngine& engine, QObject* parent = nullptr)
        : QObject(parent), Engine(engine) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool KeyPress(QWidget* widget, QKeyEvent* event);
    TKeyEngine& Engine;
};

} // namespace tavi
