#include "codes/keyboardfilter.h"

#include "platform/qbytechars.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>

#include <algorithm>
#include <vector>

namespace tavi {

namespace {

// The key event the keyboards are delivering themselves: it must not reach any engine again
// (the characters a hook sends never passed through the hooks), and as it already passed the
// shortcuts as the key it stands for, Qt's second shortcut check of a sent key press must not
// fire one now. Only this event is exempt, so a dialog it opens still has the keyboards.
const QKeyEvent* Delivered = nullptr;

class TDelivering {
public:
    explicit TDelivering(const QKeyEvent& event) : Saved(Delivered) { Delivered = &event; }
    ~TDelivering() { Delivered = Saved; }
    TDelivering(const TDelivering&) = delete;
    TDelivering& operator=(const TDelivering&) = delete;

private:
    const QKeyEvent* Saved;
};

bool IsDeliveredShortcutCheck(const QEvent* event) {
    if (!Delivered || event->type() != QEvent::ShortcutOverride || event->spontaneous())
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return key->key() == Delivered->key() && key->modifiers() == Delivered->modifiers() &&
           key->text() == Delivered->text();
}

struct THook {
    TKeyboardFilter* Filter = nullptr;
    TKeyEngine* Engine = nullptr;
    int Count = 0;
};

// The installed hooks, the one installed last first: the order in which the application's
// event filters see an event.
std::vector<THook>& Hooks() {
    static std::vector<THook> hooks;
    return hooks;
}

std::vector<THook>::iterator FindHook(const TKeyEngine& engine) {
    auto& hooks = Hooks();
    return std::find_if(hooks.begin(), hooks.end(),
                        [&](const THook& h) { return h.Engine == &engine; });
}

constexpr const char* KeyboardsAfterKeyDown = "taviKeyboardsAfterKeyDown";

QLineEdit* LineEditOf(QWidget* widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit;
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->lineEdit();
    return nullptr;
}

// Runs f on a rich or plain text editor that may be changed; false when the widget is none.
template <class F> bool WithTextEdit(QWidget* widget, F&& f) {
    if (auto* edit = qobject_cast<QTextEdit*>(widget); edit && !edit->isReadOnly()) {
        f(*edit);
        return true;
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget); edit && !edit->isReadOnly()) {
        f(*edit);
        return true;
    }
    return false;
}

int LineEditCaret(const QLineEdit& edit) {
    return edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
}

QTextCursor SpanBefore(QTextCursor cursor, qsizetype count) {
    const int caret = cursor.selectionStart();
    cursor.setPosition(caret - int(count));
    cursor.setPosition(caret, QTextCursor::KeepAnchor);
    return cursor;
}

bool IsExtendedKey(int key) {
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
    case Qt::Key_NumLock:
    case Qt::Key_Print: return true;
    default: return false;
    }
}

} // namespace

void InstallKeyHook(TKeyEngine& engine) {
    if (const auto it = FindHook(engine); it != Hooks().end()) {
        ++it->Count;
        return;
    }
    THook hook{new TKeyboardFilter(engine), &engine, 1};
    if (auto* app = QCoreApplication::instance()) app->installEventFilter(hook.Filter);
    Hooks().insert(Hooks().begin(), hook);
}

void RemoveKeyHook(TKeyEngine& engine) {
    const auto it = FindHook(engine);
    if (it == Hooks().end() || --it->Count > 0) return;
    if (auto* app = QCoreApplication::instance()) app->removeEventFilter(it->Filter);
    delete it->Filter;
    Hooks().erase(it);
}

TKeyComponent::~TKeyComponent() {
    if (FEnabled) RemoveKeyHook(HookEngine);
}

void TKeyComponent::SetEnabled(bool value) {
    if (value == FEnabled) return;
    FEnabled = value;
    if (value) {
        InstallKeyHook(HookEngine);
    } else {
        RemoveKeyHook(HookEngine);
    }
}

bool KeyHookInstalled(const TKeyEngine& engine) {
    return FindHook(engine) != Hooks().end();
}

void SetKeyboardsAfterKeyDown(QWidget* widget) {
    widget->setProperty(KeyboardsAfterKeyDown, true);
}

TKeyVerdict RunKeyboards(QWidget* widget, const QKeyEvent& event) {
    if (IsKeyboardDelivery(event)) return {};
    TWidgetTarget target(widget);
    const TKeyEvent key = ToKeyEvent(event);
    // As the hooks would: the first keyboard that takes the character has it.
    for (const THook& hook : std::vector<THook>(Hooks())) {
        const TKeyVerdict verdict = hook.Engine->KeyDown(key, target);
        if (verdict.Kind != TKeyVerdict::Pass) return verdict;
    }
    return {};
}

bool IsKeyboardDelivery(const QKeyEvent& event) {
    return &event == Delivered;
}

std::string CharactersText(const QStringList& lines) {
    std::string text;
    for (const QString& line : lines) {
        for (QChar c : line)
            if (const int b = CharToByte(c.unicode()); b >= 0) text += static_cast<char>(b);
        text += "\r\n";
    }
    return text;
}

TKeyEvent ToKeyEvent(const QKeyEvent& event) {
    TKeyEvent key;
    const int q = event.key();
    if ((q >= Qt::Key_A && q <= Qt::Key_Z) || (q >= Qt::Key_0 && q <= Qt::Key_9)) {
        key.Key = q; // Qt's codes of these keys are the virtual-key codes
    } else if (q == Qt::Key_Shift) {
        key.Key = VkShift;
    } else if (q == Qt::Key_Control) {
        key.Key = VkControl;
    } else if (q == Qt::Key_Alt) {
        key.Key = VkAlt;
    }
    const Qt::KeyboardModifiers mods = event.modifiers();
    key.Shift = mods.testFlag(Qt::ShiftModifier);
    key.Control = mods.testFlag(Qt::ControlModifier);
    key.Alt = mods.testFlag(Qt::AltModifier);
    key.Keypad = mods.testFlag(Qt::KeypadModifier);
    key.Extended = IsExtendedKey(q);
    key.AutoRepeat = event.isAutoRepeat();
    const QString text = event.text();
    key.Typed = !text.isEmpty();
    if (text.size() == 1) key.Char = CharToByte(text[0].unicode());
    return key;
}

std::string TWidgetTarget::TextBeforeCaret(std::size_t count) {
    const auto n = qsizetype(count);
    QString text;
    if (QLineEdit* edit = LineEditOf(Widget)) {
        const int caret = LineEditCaret(*edit);
        if (edit->isReadOnly() || n > caret) return {};
        text = edit->text().mid(caret - n, n);
    } else if (!WithTextEdit(Widget, [&](auto& edit) {
                   const QTextCursor cursor = edit.textCursor();
                   if (n <= cursor.selectionStart()) text = SpanBefore(cursor, n).selectedText();
               })) {
        return {};
    }
    return QStringToBytes(text).value_or(std::string());
}

void TWidgetTarget::SelectBeforeCaret(std::size_t count) {
    const auto n = qsizetype(count);
    if (QLineEdit* edit = LineEditOf(Widget)) {
        const int caret = LineEditCaret(*edit);
        edit->setSelection(caret - int(n), int(n));
    } else {
        WithTextEdit(Widget,
                     [&](auto& edit) { edit.setTextCursor(SpanBefore(edit.textCursor(), n)); });
    }
}

void TWidgetTarget::ReplaceSelection(std::string_view bytes) {
    const QString text = BytesToQString(bytes);
    if (QLineEdit* edit = LineEditOf(Widget)) {
        edit->insert(text);
    } else {
        WithTextEdit(Widget, [&](auto& edit) {
            QTextCursor cursor = edit.textCursor();
            cursor.insertText(text);
            edit.setTextCursor(cursor);
        });
    }
}

// The character arrives as a key press of no particular key, carrying only its text.
void TWidgetTarget::SendChar(unsigned char c) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(ByteToChar(c))));
    TDelivering delivering(press);
    QCoreApplication::sendEvent(Widget, &press);
}

bool TKeyboardFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event == Delivered) return false;
    if (IsDeliveredShortcutCheck(event)) {
        event->accept();
        return true;
    }
    switch (event->type()) {
    case QEvent::ApplicationStateChange:
        if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() !=
            Qt::ApplicationActive)
            Engine.KeyboardLost();
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (watched->isWidgetType() && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            Engine.MouseDown();
        return false;
    case QEvent::ShortcutOverride:
        if (watched->isWidgetType() &&
            Engine.TakesShortcut(ToKeyEvent(*static_cast<QKeyEvent*>(event)))) {
            event->accept();
            return true;
        }
        return false;
    // Key events reach the window first and then the focus widget (and, when ignored, its
    // parents): the engines act on the widgets' deliveries, and what they do with a key is
    // the same when they see it again on its way up.
    case QEvent::KeyPress:
        if (!watched->isWidgetType() || watched->property(KeyboardsAfterKeyDown).toBool())
            return false;
        return KeyPress(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
        if (watched->isWidgetType()) {
            TWidgetTarget target(static_cast<QWidget*>(watched));
            Engine.KeyUp(ToKeyEvent(*static_cast<QKeyEvent*>(event)), target);
        }
        return false;
    default: return false;
    }
}

namespace {

// A key whose character a keyboard takes goes on to the widget as the same key with the
// keyboard's character, or with none, so that key handlers still see the key.
bool Forward(QWidget* widget, QKeyEvent* event, const TKeyVerdict& verdict) {
    if (verdict.Kind == TKeyVerdict::Pass) return false;
    QString text;
    Qt::KeyboardModifiers mods = event->modifiers();
    if (verdict.Kind == TKeyVerdict::Retype) {
        text = QChar(ByteToChar(verdict.Char));
        mods &= ~(Qt::AltModifier | Qt::ControlModifier); // typed text, not a command
    }
    QKeyEvent forwarded(QEvent::KeyPress, event->key(), mods, event->nativeScanCode(),
                        event->nativeVirtualKey(), event->nativeModifiers(), text,
                        event->isAutoRepeat(), event->count());
    {
        TDelivering delivering(forwarded);
        QCoreApplication::sendEvent(widget, &forwarded);
    }
    event->accept();
    return true;
}

} // namespace

bool TKeyboardFilter::KeyPress(QWidget* widget, QKeyEvent* event) {
    TWidgetTarget target(widget);
    return Forward(widget, event, Engine.KeyDown(ToKeyEvent(*event), target));
}

bool DeliverThroughKeyboards(QWidget* widget, QKeyEvent* event) {
    return Forward(widget, event, RunKeyboards(widget, *event));
}

} // namespace tavi
