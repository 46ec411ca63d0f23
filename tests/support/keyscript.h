// Key scripts: what a user types, written as text and played as real key events.
//
//   abc        typed keys (a capital is typed with Shift), any printable ASCII character
//   {Left}     a named key: Left Right Up Down Home End Del Backspace Enter Tab Space Esc
//              CapsLock NumLock Insert Pause F1-F12, or one character
//   {Ctrl+Alt+A}  modifiers before the key: Ctrl, Alt, Shift, and Pad for the numeric keypad
//   {Left*3}   a key held down until it has repeated three times
//   [fd]       a chord: the keys go down in order and come up in reverse (six-key Braille)
//   {Click}    the left mouse button at the top left of the focused widget's text
//
// Keys go to the widget that has the keyboard focus (the given widget when none has).
#pragma once

#include <QAbstractScrollArea>
#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>
#include <string_view>

namespace tavitest {

struct TScriptKey {
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers mods;
    QString text;
};

inline Qt::Key NamedKey(const std::string& name) {
    static const std::map<std::string, Qt::Key> keys = {{"Left", Qt::Key_Left},
                                                        {"Right", Qt::Key_Right},
                                                        {"Up", Qt::Key_Up},
                                                        {"Down", Qt::Key_Down},
                                                        {"Home", Qt::Key_Home},
                                                        {"End", Qt::Key_End},
                                                        {"Del", Qt::Key_Delete},
                                                        {"Backspace", Qt::Key_Backspace},
                                                        {"Enter", Qt::Key_Return},
                                                        {"Tab", Qt::Key_Tab},
                                                        {"Space", Qt::Key_Space},
                                                        {"Esc", Qt::Key_Escape},
                                                        {"CapsLock", Qt::Key_CapsLock},
                                                        {"NumLock", Qt::Key_NumLock},
                                                        {"Insert", Qt::Key_Insert},
                                                        {"Pause", Qt::Key_Pause}};
    if (const auto it = keys.find(name); it != keys.end()) return it->second;
    if (name.size() >= 2 && name[0] == 'F' && std::isdigit(static_cast<unsigned char>(name[1])))
        return Qt::Key(Qt::Key_F1 + std::stoi(name.substr(1)) - 1);
    if (name.size() == 1 && std::isprint(static_cast<unsigned char>(name[0])))
        return Qt::Key(std::toupper(static_cast<unsigned char>(name[0])));
    ADD_FAILURE() << "no key named " << name;
    return Qt::Key_unknown;
}

// The text a key types, as the X server gives it: Ctrl turns a letter into its control
// character, and other keys with Ctrl type nothing.
inline QString KeyText(Qt::Key key, Qt::KeyboardModifiers mods, char typed) {
    switch (key) {
    case Qt::Key_Return: return "\r";
    case Qt::Key_Tab: return "\t";
    case Qt::Key_Backspace: return "\b";
    case Qt::Key_Delete: return QString(QChar(0x7F));
    case Qt::Key_Escape: return QString(QChar(0x1B));
    case Qt::Key_Space: return " ";
    default: break;
    }
    if (!typed) return {};
    if (mods.testFlag(Qt::ControlModifier))
        return std::isalpha(static_cast<unsigned char>(typed)) ? QString(QChar(typed & 0x1F))
                                                               : QString();
    return QString(QChar(typed));
}

// "{Ctrl+Left}" without its braces.
inline TScriptKey ParseNamedKey(const std::string& spec) {
    TScriptKey k;
    std::string rest = spec;
    for (std::size_t plus; rest.size() > 1 && (plus = rest.find('+')) != std::string::npos;) {
        const std::string mod = rest.substr(0, plus);
        rest = rest.substr(plus + 1);
        if (mod == "Ctrl")
            k.mods |= Qt::ControlModifier;
        else if (mod == "Alt")
            k.mods |= Qt::AltModifier;
        else if (mod == "Shift")
            k.mods |= Qt::ShiftModifier;
        else if (mod == "Pad")
            k.mods |= Qt::KeypadModifier;
        else
            ADD_FAILURE() << "no modifier " << mod;
    }
    k.key = NamedKey(rest);
    char typed = rest.size() == 1 ? rest[0] : 0;
    if (typed && std::isalpha(static_cast<unsigned char>(typed)))
        typed = static_cast<char>(k.mods.testFlag(Qt::ShiftModifier) ? std::toupper(typed)
                                                                     : std::tolower(typed));
    k.text = KeyText(k.key, k.mods, typed);
    return k;
}

inline TScriptKey TypedKey(char c) {
    TScriptKey k;
    k.key = NamedKey(std::string(1, c));
    if (std::isupper(static_cast<unsigned char>(c))) k.mods = Qt::ShiftModifier;
    k.text = KeyText(k.key, k.mods, c);
    return k;
}

inline QWidget* KeyTarget(QWidget* widget) {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus : widget;
}

inline void Send(QTest::KeyAction action, QWidget* widget, const TScriptKey& k) {
    QTest::sendKeyEvent(action, KeyTarget(widget), k.key, k.text, k.mods);
}

// A scroll area takes the mouse in its viewport.
inline void ClickTopLeft(QWidget* widget) {
    QWidget* target = KeyTarget(widget);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(target)) target = area->viewport();
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(1, 1));
}

inline void PlayKeys(QWidget* widget, std::string_view script) {
    for (std::size_t i = 0; i < script.size(); ++i) {
        const char c = script[i];
        if (c == '{' || c == '[') {
            const std::size_t close = script.find(c == '{' ? '}' : ']', i);
            if (close == std::string_view::npos) {
                ADD_FAILURE() << "unclosed " << c << " in " << script;
                return;
            }
            const std::string inside(script.substr(i + 1, close - i - 1));
            i = close;
            if (c == '{' && inside == "Click") {
                ClickTopLeft(widget);
                continue;
            }
            if (c == '{') {
                const std::size_t star = inside.find('*');
                const TScriptKey k = ParseNamedKey(inside.substr(0, star));
                if (star == std::string::npos) {
                    Send(QTest::Click, widget, k);
                    continue;
                }
                Send(QTest::Press, widget, k);
                for (int n = std::stoi(inside.substr(star + 1)); n > 0; --n)
                    for (bool press : {false, true})
                        QTest::simulateEvent(KeyTarget(widget), press, k.key, k.mods, k.text, true);
                Send(QTest::Release, widget, k);
                continue;
            }
            for (char key : inside) Send(QTest::Press, widget, TypedKey(key));
            for (auto it = inside.rbegin(); it != inside.rend(); ++it)
                Send(QTest::Release, widget, TypedKey(*it));
        } else {
            Send(QTest::Click, widget, TypedKey(c));
        }
    }
}

} // namespace tavitest
