#include "dialogs/manualfrm.h"

#include "codes/memorystream.h"
#include "dialogs/vntext.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QVBoxLayout>

namespace tavi {

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (end < text.size() || !line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

} // namespace

TManualFrm::TManualFrm(ITalker& talker, QWidget* parent) : TTalkingDialog(talker, parent) {
    setWindowTitle(QString::fromUtf8("Hướng dẫn"));
    setWindowState(Qt::WindowMaximized);
    Manual = new QPlainTextEdit(this);
    Manual->setReadOnly(true);
    Manual->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    Manual->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Manual->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Manual);
    Clock.start();
}

void TManualFrm::showEvent(QShowEvent* e) {
    TTalkingDialog::showEvent(e);
    if (Sections) return;
    std::string text;
    try {
        text = ReadWholeFile(FileName);
    } catch (const std::exception&) {
        // The caller shows the window only for a file that exists; a file that vanished
        // meanwhile is an empty help text.
    }
    Sections = std::make_unique<TManualSections>(SplitLines(text));
    ShowSection(Sections->Opening());
}

void TManualFrm::TypeDigit(char digit) {
    if (!Sections) Sections = std::make_unique<TManualSections>(std::vector<std::string>{});
    ShowSection(Sections->TypeDigit(digit, static_cast<std::uint32_t>(Clock.elapsed())));
}

void TManualFrm::ShowSection(std::vector<std::string> lines) {
    Shown = std::move(lines);
    QStringList shown;
    for (const auto& line : Shown) shown << VnText(line);
    Manual->setLineWrapMode(QPlainTextEdit::NoWrap);
    Manual->setPlainText(shown.join('\n'));
    Manual->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Manual->moveCursor(QTextCursor::Start);
    Talk().Announce(WholeText());
}

std::string TManualFrm::WholeText() const {
    std::string text;
    for (std::size_t i = 0; i < Shown.size(); ++i) text += (i ? "\r\n" : "") + Shown[i];
    return text;
}

bool TManualFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Manual ||
        (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return TTalkingDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const auto mods =
        key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (event->type() == QEvent::KeyRelease) {
        if (key->key() == Qt::Key_A && mods == Qt::ControlModifier) {
            Manual->selectAll();
            return true;
        }
        return false;
    }
    if (key->key() == Qt::Key_Escape) {
        done(mrCancel);
        return true;
    }
    if (key->key() == Qt::Key_Pause) {
        if (Talk().Playing())
            Talk().PauseReading();
        else
            Talk().ResumeReading();
        return true;
    }
    const QString typed = key->text();
    if (typed.size() == 1 && typed[0] >= '0' && typed[0] <= '9' &&
        !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
        TypeDigit(static_cast<char>(typed[0].unicode()));
        return true;
    }
    if (!Talk().SoundOn() || mods != Qt::NoModifier) return false;
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        // Move first, then read the line the caret arrived on.
        Manual->moveCursor(key->key() == Qt::Key_Up ? QTextCursor::Up : QTextCursor::Down);
        const int line = Manual->textCursor().blockNumber();
        if (line >= 0 && static_cast<std::size_t>(line) < Shown.size())
            Talk().Announce(Shown[static_cast<std::size_t>(line)]);
        return true;
    }
    case Qt::Key_F1: Talk().Announce(WholeText()); return true;
    case Qt::Key_F8: {
        QString selected = Manual->textCursor().selectedText();
        selected.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
        if (!selected.isEmpty()) Talk().Announce(VnBytes(selected, VniWinTable));
        return true;
    }
    default: return false;
    }
}

void TManualFrm::done(int result) {
    Talk().StopReading();
    TTalkingDialog::done(result);
}

} // namespace tavi
