#include "platform/keyboardstate.h"

#include <QGuiApplication>

#if __has_include(<X11/XKBlib.h>) && QT_CONFIG(xcb)
#include <X11/XKBlib.h>
#define TAVI_HAVE_XKB 1
#endif

namespace tavi {

#ifdef TAVI_HAVE_XKB
namespace {

Display* X11Display() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

} // namespace

std::optional<TKeyRepeat> ReadKeyRepeat() {
    Display* display = X11Display();
    unsigned delay = 0, interval = 0;
    if (!display || !XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delay, &interval))
        return std::nullopt;
    return TKeyRepeat{static_cast<int>(delay), static_cast<int>(interval)};
}

void SetKeyRepeat(const TKeyRepeat& repeat) {
    if (Display* display = X11Display()) {
        XkbSetAutoRepeatRate(display, XkbUseCoreKbd, static_cast<unsigned>(repeat.DelayMs),
                             static_cast<unsigned>(repeat.IntervalMs));
        XFlush(display);
    }
}

std::optional<TLockStates> ReadLockStates() {
    Display* display = X11Display();
    if (!display) return std::nullopt;
    const auto indicator = [display](const char* name) {
        Bool on = False;
        const Atom atom = XInternAtom(display, name, False);
        return atom != None &&
               XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr) && on;
    };
    return TLockStates{indicator("Caps Lock"), indicator("Num Lock")};
}
#else
std::optional<TKeyRepeat> ReadKeyRepeat() {
    return std::nullopt;
}
void SetKeyRepeat(const TKeyRepeat&) {}
std::optional<TLockStates> ReadLockStates() {
    return std::nullopt;
}
#endif

} // namespace tavi
