// The main window on real widgets, as the shell tests use it: the recording speech port
// behind the real speech log (what was said, as UTF-8 lines without the time), settings,
// documents and recovery files in a scratch folder, and every dialog answered by the test.
#pragma once

#include "dialogs/findfrm.h"
#include "dialogs/initfrm.h"
#include "dialogs/savefrm.h"
#include "shell/mainform.h"
#include "shell/speechlog.h"
#include "support/recordingspeech.h"
#include "support/testdata.h"

#include <QTest>
#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace tavitest {

class TFormRig {
public:
    TempDir dir;
    std::shared_ptr<SpeechLog> voices = std::make_shared<SpeechLog>();
    std::vector<std::string> said; // "vi\t…", "en\t…", "beep\tBeep.wav"
    // The answers to the dialogs the window shows after the start-up dialog, in order; a dialog
    // with no answer left is cancelled.
    std::deque<std::function<int(QDialog&)>> answers;
    std::string user = "anna";

    std::unique_ptr<tavi::TMainForm> Make(std::function<void(tavi::TMainFormSetup&)> adjust = {}) {
        tavi::TMainFormSetup setup;
        setup.Speech = std::make_unique<tavi::TSpeechLogPort>(
            std::make_unique<RecordingSpeech>(voices),
            [this](const std::string& line) { said.push_back(line.substr(line.find('\t') + 1)); });
        setup.RegistryFile = dir / "registry.reg";
        setup.DocumentsRoot = dir / "docs";
        setup.StateFolder = dir / "state";
        setup.RunDialog = [this](QDialog& d) {
            if (auto* init = dynamic_cast<tavi::TInitFrm*>(&d)) {
                tavi::TTalkingDialog::SetFieldBytes(init->EdUserName, user);
                return user.empty() ? int(tavi::mrCancel) : int(tavi::mrOk);
            }
            if (answers.empty()) return int(tavi::mrCancel);
            const auto answer = std::move(answers.front());
            answers.pop_front();
            return answer(d);
        };
        if (adjust) adjust(setup);
        return std::make_unique<tavi::TMainForm>(std::move(setup));
    }

    // Started, shown and active, with the keyboard in the editor.
    std::unique_ptr<tavi::TMainForm> Start(std::function<void(tavi::TMainFormSetup&)> adjust = {}) {
        auto form = Make(std::move(adjust));
        if (!form->FormShow()) return form;
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }

    // A confirmation answered with a result.
    void Answer(int result) {
        answers.push_back([result](QDialog&) { return result; });
    }

    // The next find or replace dialog gets these texts and ends with this result.
    void FindText(const std::string& text) {
        answers.push_back([text](QDialog& d) {
            tavi::TTalkingDialog::SetFieldBytes(dynamic_cast<tavi::TFindFrm&>(d).FindText, text);
            return int(tavi::mrOk);
        });
    }
    void ReplaceText(const std::string& find, const std::string& by, int result) {
        answers.push_back([find, by, result](QDialog& d) {
            auto& dialog = dynamic_cast<tavi::TReplaceFrm&>(d);
            tavi::TTalkingDialog::SetFieldBytes(dialog.RepText, find);
            tavi::TTalkingDialog::SetFieldBytes(dialog.ByText, by);
            return result;
        });
    }
    // The next dialog is shown and runs as it would for the user.
    void Run() {
        answers.push_back([](QDialog& d) { return d.exec(); });
    }

    // The next save or open dialog gets this name typed and accepted.
    void TypeName(const std::string& name) {
        answers.push_back([name](QDialog& d) {
            auto& dialog = dynamic_cast<tavi::TFileNameFrm&>(d);
            tavi::TTalkingDialog::SetFieldBytes(dialog.EFName, name);
            dialog.done(tavi::mrOk);
            return int(tavi::mrOk);
        });
    }
};

} // namespace tavitest
