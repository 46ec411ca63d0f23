// What the real main window costs the user (real voices, real dictionary, real espeak-ng).
// Latency of the echo while editing, as the user hears it: from a key event delivered to the
// editor to the first
// buffer handed to the sound device, for a typed character and for a finished word, with both
// voices, in an empty document and in a document of 1 MB.
// The medians are the counters median_ms; key_ms is the whole keystroke (echo, then the
// editor's own insertion and the status bar). Reading on (Alt+F8) is timed the same way.
#include "codes/vncodeconverter.h"
#include "dialogs/initfrm.h"
#include "document/docsnapshot.h"
#include "document/editoraccess.h"
#include "document/msrichedit.h"
#include "shell/mainform.h"
#include "shell/voices.h"
#include "speech/waveout.h"
#include "support/corpus.h"
#include "timingwaveout.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using tavibench::Clock;
using tavibench::TimingWaveOut;

class TimingAudio : public tavi::TAudioSystem {
public:
    int DeviceCount() const override { return 1; }
    std::unique_ptr<tavi::TWaveOut> CreateDevice() override {
        return std::make_unique<TimingWaveOut>();
    }
    std::unique_ptr<tavi::TWaveOut> CreateFileDevice(const std::filesystem::path&) override {
        return std::make_unique<TimingWaveOut>();
    }
};

// The settings of a window of its own, so that no run inherits the voice of another.
std::filesystem::path SettingsFile() {
    return std::filesystem::temp_directory_path() / "tavi-bench-window.reg";
}

std::unique_ptr<tavi::TMainForm> OpenWindow() {
    std::filesystem::remove(SettingsFile());
    tavi::TMainFormSetup setup;
    setup.Speech = std::make_unique<tavi::TProgramVoices>();
    setup.RegistryFile = SettingsFile();
    setup.DocumentsRoot = std::filesystem::temp_directory_path() / "tavi-bench-window";
    setup.StateFolder = setup.DocumentsRoot / "state";
    setup.RunDialog = [](QDialog& d) {
        if (auto* init = dynamic_cast<tavi::TInitFrm*>(&d)) {
            tavi::TTalkingDialog::SetFieldBytes(init->EdUserName, "bench");
            return tavi::mrOk;
        }
        return tavi::mrCancel;
    };
    auto form = std::make_unique<tavi::TMainForm>(std::move(setup));
    form->FormShow();
    form->show();
    return form;
}

void Key(QWidget* editor, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &release);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Args: word echo (0 character, 1 word), English voice (0/1), document size in bytes.
void BM_KeyToFirstBuffer(benchmark::State& state) {
    const bool word = state.range(0) != 0, english = state.range(1) != 0;
    auto form = OpenWindow();
    form->Action(word ? "MREWord" : "MREChar")->trigger();
    form->Action(english ? "MEnglish" : "MVietNam")->trigger();
    const std::string prose = tavitest::RepeatedProse(static_cast<std::size_t>(state.range(2)));
    form->Editor->SetText(state.range(2) ? tavi::ConvertBetween("Unicode", "Vni for Win", prose)
                                         : std::string());
    form->Editor->SetSelStart(form->Editor->TextLength());
    QApplication::processEvents(); // the layout of a large document
    std::vector<double> echo, whole;
    for (auto _ : state) {
        if (word) {
            state.PauseTiming();
            for (const char* c : {"v", "i", "e", "6", "t"}) Key(form->Editor, c[0], c);
            state.ResumeTiming();
        }
        const Clock::time_point start = Clock::now();
        TimingWaveOut::LastArrival = {};
        if (word)
            Key(form->Editor, Qt::Key_Space, " ");
        else
            Key(form->Editor, Qt::Key_A, "a");
        const Clock::time_point end = Clock::now(), heard = TimingWaveOut::LastArrival;
        if (heard < start) {
            state.SkipWithError("nothing was heard");
            break;
        }
        echo.push_back(std::chrono::duration<double, std::milli>(heard - start).count());
        whole.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        state.SetIterationTime(std::chrono::duration<double>(heard - start).count());
    }
    state.counters["median_ms"] = Median(echo);
    state.counters["key_ms"] = Median(whole);
    form->SetModified(0);
    form->close();
    std::filesystem::remove(SettingsFile());
}
BENCHMARK(BM_KeyToFirstBuffer)
    ->ArgNames({"word", "english", "bytes"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1 << 20}})
    ->Iterations(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// What the recovery of an unsaved document costs the user-interface thread while the user types
// (a snapshot every two seconds at most): copying what changed since the last snapshot, here a
// word typed into a paragraph (untimed). first_ms is the first snapshot, which copies all. The
// writer thread's share, the document model and its RTF, is measured with writer = 1.
void BM_RecoverySnapshot(benchmark::State& state) {
    auto form = OpenWindow();
    const std::string prose = tavitest::RepeatedProse(static_cast<std::size_t>(state.range(0)));
    form->Editor->SetText(tavi::ConvertBetween("Unicode", "Vni for Win", prose));
    const bool writer = state.range(1) != 0;
    QApplication::processEvents(); // the layout of a large document
    const Clock::time_point start = Clock::now();
    timespec cpu{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    const double cpuStart = cpu.tv_sec * 1e3 + cpu.tv_nsec / 1e6;
    const tavi::TDocumentSnapshot first = form->Editor->Snapshot();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    state.counters["first_ms"] =
        std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    state.counters["first_cpu_ms"] = cpu.tv_sec * 1e3 + cpu.tv_nsec / 1e6 - cpuStart;
    for (auto _ : state) {
        if (writer) {
            benchmark::DoNotOptimize(tavi::WriteRtf(tavi::SnapshotDocument(first)));
            continue;
        }
        state.PauseTiming();
        form->Editor->SetSelStart(form->Editor->TextLength() / 2);
        form->Editor->SetSelText("chữ ");
        state.ResumeTiming();
        benchmark::DoNotOptimize(form->Editor->Snapshot());
    }
    form->SetModified(0);
    form->close();
    std::filesystem::remove(SettingsFile());
}
BENCHMARK(BM_RecoverySnapshot)
    ->ArgNames({"bytes", "writer"})
    ->ArgsProduct({{1 << 20, 10 << 20}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// The whole document shown in Braille (F11) and back (F10), with the layout that follows:
// translated afresh after an edit, and exchanged with the form kept from the last switch.
void BM_DisplaySwitch(benchmark::State& state) {
    const bool afresh = state.range(1) != 0;
    auto form = OpenWindow();
    const std::string prose = tavitest::RepeatedProse(static_cast<std::size_t>(state.range(0)));
    form->Editor->SetText(tavi::ConvertBetween("Unicode", "Vni for Win", prose));
    QApplication::processEvents();
    std::vector<double> toBraille, toText;
    const auto timed = [](QAction* command) {
        const Clock::time_point start = Clock::now();
        command->trigger();
        QApplication::processEvents(); // the relayout
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    // An edit that leaves the text as it was: a space typed at the start and taken back.
    const auto edit = [&form] {
        form->Editor->SetSelStart(0);
        form->Editor->SetSelText(" ");
        form->Editor->SetSelStart(0);
        form->Editor->SetSelLength(1);
        form->Editor->ClearSelection();
    };
    for (auto _ : state) {
        if (afresh) edit();
        toBraille.push_back(timed(form->Action("MGTGrade1")));
        if (afresh) edit();
        toText.push_back(timed(form->Action("MGTVNI2")));
        state.SetIterationTime((toBraille.back() + toText.back()) / 1000);
    }
    state.counters["F11_ms"] = Median(toBraille);
    state.counters["F10_ms"] = Median(toText);
    form->SetModified(0);
    form->close();
    std::filesystem::remove(SettingsFile());
}
BENCHMARK(BM_DisplaySwitch)
    ->ArgNames({"bytes", "afresh"})
    ->ArgsProduct({{1 << 20}, {0, 1}})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Replace all in a document of 1 MB with 10,000 matches, the replacement holding the searched
// word, with the layout that follows; each run is undone (untimed) for the next.
void BM_ReplaceAll(benchmark::State& state) {
    auto form = OpenWindow();
    std::string text =
        tavi::ConvertBetween("Unicode", "Vni for Win", tavitest::RepeatedProse(1u << 20));
    constexpr int matches = 10000;
    const std::size_t step = text.size() / matches;
    for (int k = matches - 1; k >= 0; --k) {
        std::size_t at = static_cast<std::size_t>(k) * step;
        while (at > 0 && text[at - 1] != ' ') --at; // at a word's start
        text.insert(at, "qqz ");
    }
    form->Editor->SetText(text);
    QApplication::processEvents();
    int replaced = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        replaced = form->Editor->ReplaceAll("qqz", "qqz qqz", 0);
        QApplication::processEvents();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        form->Editor->Undo();
        QApplication::processEvents();
    }
    state.counters["matches"] = replaced;
    form->SetModified(0);
    form->close();
    std::filesystem::remove(SettingsFile());
}
BENCHMARK(BM_ReplaceAll)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// A screen reader asking for the character, word, sentence, line or paragraph at an offset of
// the editor holding 1 MB, in text or in Braille display: offsets all over the document, and
// (edited) the first question after a key typed, when the letters are taken afresh.
void BM_AccessibleTextAt(benchmark::State& state) {
    const auto unit = static_cast<QAccessible::TextBoundaryType>(state.range(0));
    auto form = OpenWindow();
    tavi::InstallEditorAccessibility();
    const std::string prose = tavitest::RepeatedProse(1u << 20);
    form->Editor->SetText(tavi::ConvertBetween("Unicode", "Vni for Win", prose));
    if (state.range(1) != 0) form->Action("MGTGrade1")->trigger(); // the same text in Braille
    QApplication::processEvents();
    QAccessibleTextInterface* text =
        QAccessible::queryAccessibleInterface(form->Editor)->textInterface();
    const int length = text->characterCount();
    int offset = 0, start = 0, end = 0;
    for (auto _ : state) {
        if (state.range(2)) {
            state.PauseTiming();
            form->Editor->SetSelStart(offset);
            Key(form->Editor, Qt::Key_A, "a");
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(text->textAtOffset(offset, unit, &start, &end));
        offset = (offset + 7919) % length;
    }
    form->SetModified(0);
    form->close();
    std::filesystem::remove(SettingsFile());
}
BENCHMARK(BM_AccessibleTextAt)
    ->ArgNames({"unit", "braille", "edited"})
    ->ArgsProduct({{QAccessible::CharBoundary, QAccessible::WordBoundary,
                    QAccessible::SentenceBoundary, QAccessible::ParagraphBoundary,
                    QAccessible::LineBoundary},
                   {0, 1},
                   {0}})
    ->Args({QAccessible::WordBoundary, 0, 1})
    ->Unit(benchmark::kMicrosecond);

// Reading on from the middle of a document of 1 MB (Alt+F8): from the command to the first
// buffer handed to the sound device, with the editor's text kept from before, and (edited)
// right after a letter was put in, when the editor gives its bytes afresh.
void BM_ReadOnStart(benchmark::State& state) {
    auto form = OpenWindow();
    form->Editor->SetText(
        tavi::ConvertBetween("Unicode", "Vni for Win", tavitest::RepeatedProse(1u << 20)));
    form->Editor->SetSelStart(form->Editor->TextLength() / 2);
    QApplication::processEvents(); // the layout of a large document
    std::vector<double> start;
    for (auto _ : state) {
        if (state.range(0)) {
            state.PauseTiming();
            form->Editor->SetSelText("a");
            state.ResumeTiming();
        }
        const Clock::time_point begin = Clock::now();
        TimingWaveOut::LastArrival = {};
        form->Action("MRReadOn")->trigger();
        if (TimingWaveOut::LastArrival < begin) {
            state.SkipWithError("nothing was heard");
            break;
        }
        start.push_back(
            std::chrono::duration<double, std::milli>(TimingWaveOut::LastArrival - begin).count());
        state.SetIterationTime(start.back() / 1000);
    }
    state.counters["median_ms"] = Median(start);
    state.counters["worst_ms"] = start.empty() ? 0 : *std::max_element(start.begin(), start.end());
    form->SetModified(0);
    form->close();
    std::filesystem::remove(SettingsFile());
}
BENCHMARK(BM_ReadOnStart)
    ->ArgNames({"edited"})
    ->Args({0})
    ->Args({1})
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Files of one long unbroken line, as a user may be sent: letters without a blank, and RTF
// whose groups nest a million deep. Opened through the File menu's road (with the automatic
// conversion and the layout that follows), then a letter and a space typed at the end of the
// line with character echo: open_ms, and for each key the time until its echo reaches the
// device (letter_ms, word_ms) and the whole keystroke (letter_key_ms, word_key_ms).
std::filesystem::path LongLineFile(bool rtf, std::size_t size) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("tavi-bench-long-" + std::to_string(size) + (rtf ? ".rtf" : ".txt"));
    std::string data = rtf ? "{\\rtf1 " + std::string(size, '{') : std::string();
    for (std::size_t i = 0; !rtf && i < size; ++i) data += static_cast<char>('a' + i % 26);
    std::FILE* f = std::fopen(file.c_str(), "wb");
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
    return file;
}

double KeyToEcho(QWidget* editor, int key, const QString& text, double& keyMs) {
    const Clock::time_point start = Clock::now();
    TimingWaveOut::LastArrival = {};
    Key(editor, key, text);
    const Clock::time_point end = Clock::now(), heard = TimingWaveOut::LastArrival;
    keyMs = std::chrono::duration<double, std::milli>(end - start).count();
    return heard < start ? -1 : std::chrono::duration<double, std::milli>(heard - start).count();
}

// Args: RTF (0 letters, 1 nested groups), letters or groups.
void BM_OpenLongLine(benchmark::State& state) {
    const std::filesystem::path file =
        LongLineFile(state.range(0) != 0, static_cast<std::size_t>(state.range(1)));
    auto form = OpenWindow();
    std::vector<double> open, letter, word, letterKey, wordKey;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        form->OpenDocument(file.string());
        QApplication::processEvents(); // the layout
        open.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        form->Editor->SetSelStart(form->Editor->TextLength());
        QApplication::processEvents();
        double keyMs = 0;
        letter.push_back(KeyToEcho(form->Editor, Qt::Key_A, "a", keyMs));
        letterKey.push_back(keyMs);
        word.push_back(KeyToEcho(form->Editor, Qt::Key_Space, " ", keyMs));
        wordKey.push_back(keyMs);
        QApplication::processEvents();
        state.SetIterationTime(open.back() / 1000);
        form->SetModified(0);
    }
    state.counters["open_ms"] = Median(open);
    state.counters["letter_ms"] = Median(letter);
    state.counters["letter_key_ms"] = Median(letterKey);
    state.counters["word_ms"] = Median(word);
    state.counters["word_key_ms"] = Median(wordKey);
    form->close();
    std::filesystem::remove(file);
    std::filesystem::remove(SettingsFile());
}
BENCHMARK(BM_OpenLongLine)
    ->ArgNames({"rtf", "size"})
    ->Args({0, 300000})
    ->Args({0, 2000000})
    ->Args({1, 1000000})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    tavi::SetAudioSystem(std::make_unique<TimingAudio>());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
