// What a screen reader finds in the windows: every control named, with a role, and the
// editor named by its document.
#include "dialogs/filebrowser.h"
#include "document/msrichedit.h"
#include "mail/mailfrm.h"
#include "mail/sendmfrm.h"
#include "mail/viewmailfrm.h"
#include "shell/formrig.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

// The controls of a window a user can reach with the keyboard that a screen reader would find
// without a name or a role, as "class: role".
std::vector<std::string> Unnamed(QWidget& window) {
    std::vector<std::string> found;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus || qobject_cast<QLabel*>(w))
            continue;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        if (!iface || iface->text(QAccessible::Name).trimmed().isEmpty() ||
            iface->role() == QAccessible::NoRole)
            found.push_back(std::string(w->metaObject()->className()) + ": " +
                            std::to_string(iface ? iface->role() : -1));
    }
    return found;
}

TEST(Accessibility, EveryControlOfEveryWindowIsNamed) {
    tavitest::TFormRig rig;
    auto form = rig.Start();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->Editor)->text(QAccessible::Name),
              QString::fromUtf8(tavi::TMainForm::Untitled));
    EXPECT_EQ(Unnamed(*form), std::vector<std::string>{}) << "the main window";
    for (const char* command :
         {"MFOpen", "MFSaveAs", "MFInfo", "MEFind", "MEFindRep", "MSetupMail", "MHAbout"}) {
        bool shown = false;
        rig.answers.push_back([&](QDialog& d) {
            d.show();
            QApplication::processEvents();
            EXPECT_EQ(Unnamed(d), std::vector<std::string>{}) << command;
            shown = true;
            d.hide();
            return int(tavi::mrCancel);
        });
        form->Action(command)->trigger();
        EXPECT_TRUE(shown) << command;
        rig.answers.clear();
    }
    // Windows reached from others: the file browser, and the mail windows.
    tavi::TmsMessageList letters;
    letters.Add().LoadFromString("From: a@x.vn\r\nSubject: x\r\n\r\nbody\r\n.\r\n");
    tavi::TFileBrowser browser(*form, rig.dir.path().string(), true);
    tavi::TSendMfrm send(*form);
    tavi::TViewMailFrm viewer(*form, letters);
    tavi::TMailFrm transfer(*form);
    for (QDialog* d : std::initializer_list<QDialog*>{&browser, &send, &viewer, &transfer}) {
        d->show();
        QApplication::processEvents();
        EXPECT_EQ(Unnamed(*d), std::vector<std::string>{}) << d->metaObject()->className();
        d->hide();
    }
    form->SetModified(0);
    form->close();
}

} // namespace
