// The dial-up entries. The machine's real network settings are never touched: nmcli is a
// stand-in script that answers from files and records how it was called.
#include "mail/agras.h"
#include "mail/agsocket.h"
#include "mail/mailerrors.h"
#include "support/testdata.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tavi {
namespace {

// A stand-in nmcli: "connection show" prints the file profiles (or active, with --active);
// "connection up" fails when up-fails exists, hangs when up-hangs exists, and otherwise
// succeeds; every call is appended to calls.
class TFakeNmcli {
public:
    TFakeNmcli() {
        const std::string d = Dir.path().string();
        tavitest::WriteFile(Dir / "nmcli",
                            "#!/bin/sh\n"
                            "echo \"$*\" >> '" +
                                d +
                                "/calls'\n"
                                "case \"$*\" in\n"
                                "*'connection show --active'*) cat '" +
                                d +
                                "/active' 2>/dev/null ;;\n"
                                "*'connection show'*) cat '" +
                                d +
                                "/profiles' 2>/dev/null ;;\n"
                                "*'connection up'*)\n"
                                "  if [ -f '" +
                                d +
                                "/up-fails' ]; then\n"
                                "    echo 'Error: Connection activation failed: no carrier' >&2\n"
                                "    exit 4\n"
                                "  fi\n"
                                "  [ -f '" +
                                d +
                                "/up-hangs' ] && exec sleep 30\n"
                                "  exit 0 ;;\n"
                                "esac\n"
                                "exit 0\n");
        chmod((Dir / "nmcli").c_str(), 0755);
        tavitest::WriteFile(Dir / "profiles", "Home DSL:pppoe\nlo:loopback\nOffice\\: VPN:vpn\n");
        tavitest::WriteFile(Dir / "active", "");
    }
    QString Program() const { return QString::fromStdString((Dir / "nmcli").string()); }
    void Write(const std::string& name, const std::string& text) {
        tavitest::WriteFile(Dir / name, text);
    }
    std::vector<std::string> Calls() const {
        std::vector<std::string> calls;
        std::string text = tavitest::ReadFile(Dir / "calls");
        for (std::size_t pos = 0, lf; (lf = text.find('\n', pos)) != std::string::npos;
             pos = lf + 1)
            calls.push_back(text.substr(pos, lf - pos));
        return calls;
    }
    // The calls that change something: up and down.
    std::vector<std::string> Changes() const {
        std::vector<std::string> changes;
        for (const std::string& c : Calls())
            if (c.find("connection show") == std::string::npos) changes.push_back(c);
        return changes;
    }

private:
    tavitest::TempDir Dir;
};

struct TDialer {
    TagRas ras;
    std::vector<std::string> events;
    explicit TDialer(const TFakeNmcli& nmcli) {
        ras.SetNmcliProgram(nmcli.Program());
        ras.OnStatusChange = [this](const std::string& s) { events.push_back(s); };
        ras.OnDisconnected = [this] { events.push_back("disconnected"); };
        ras.OnErrorBox = [this](const std::string& m) { events.push_back("box:" + m); };
    }
};

TEST(DialEntries, WithoutNetworkManagerOnlyTheNetworkIsUp) {
    TagRas ras;
    ras.SetNmcliProgram({});
    EXPECT_EQ(ras.Entries(), std::vector<std::string>{NetworkUpEntry});
    ras.SetService(NetworkUpEntry);
    ras.Dial();
    EXPECT_TRUE(ras.Connected());
    EXPECT_FALSE(ras.DialledByMe());
    bool disconnected = false;
    ras.OnDisconnected = [&] { disconnected = true; };
    ras.HangUp();
    EXPECT_FALSE(ras.Connected());
    EXPECT_FALSE(disconnected);
}

TEST(DialEntries, ProfilesAfterTheNetworkUpEntry) {
    TFakeNmcli nmcli;
    TagRas ras;
    ras.SetNmcliProgram(nmcli.Program());
    EXPECT_EQ(ras.Entries(), (std::vector<std::string>{NetworkUpEntry, "Home DSL", "Office: VPN"}));
    EXPECT_EQ(nmcli.Changes(), std::vector<std::string>{});
}

TEST(DialEntries, ServiceMustBeAnEntry) {
    TFakeNmcli nmcli;
    TDialer d(nmcli);
    d.ras.SetService("Home DSL");
    EXPECT_EQ(d.ras.Service(), "Home DSL");
    d.ras.SetService("Nowhere");
    EXPECT_EQ(d.ras.Service(), "");
    d.ras.SetService(NetworkUpEntry);
    d.ras.Dial();
    d.ras.SetService("Home DSL");
    EXPECT_EQ(d.ras.Service(), NetworkUpEntry);
    EXPECT_EQ(d.events,
              (std::vector<std::string>{"box:Invalid service name",
                                        "box:This property can be set only before\restablishing "
                                        "the connection"}));
}

TEST(DialUp, BringsUpAndTakesDownOnlyItsOwn) {
    TFakeNmcli nmcli;
    TDialer d(nmcli);
    d.ras.SetService("Home DSL");
    d.ras.Dial();
    EXPECT_TRUE(d.ras.Connected());
    EXPECT_TRUE(d.ras.DialledByMe());
    d.ras.HangUp();
    EXPECT_FALSE(d.ras.Connected());
    EXPECT_EQ(nmcli.Changes(), (std::vector<std::string>{"--wait 120 connection up id Home DSL",
                                                         "connection down id Home DSL"}));
    EXPECT_EQ(d.events, (std::vector<std::string>{"Initializing...", "Dialing...",
                                                  "Successfully connected", "disconnected"}));
}

TEST(DialUp, ConnectionThatIsUpAlreadyIsLeftUp) {
    struct Case {
        const char* name;
        const char* active;
        bool force;
    };
    for (const Case& c : std::vector<Case>{
             {"the entry itself", "Home DSL:pppoe:activated\n", true},
             {"another one, not forced", "lo:loopback:activated\nWired:ethernet:activated\n",
              false},
         }) {
        TFakeNmcli nmcli;
        nmcli.Write("active", c.active);
        TDialer d(nmcli);
        d.ras.ForceService = c.force;
        d.ras.SetService("Home DSL");
        d.ras.Dial();
        EXPECT_TRUE(d.ras.Connected()) << c.name;
        d.ras.HangUp();
        EXPECT_EQ(nmcli.Changes(), std::vector<std::string>{}) << c.name;
        EXPECT_EQ(d.events, std::vector<std::string>{}) << c.name;
    }
}

TEST(DialUp, OnlyTheLoopbackOrAnotherEntryForcedIsNotEnough) {
    TFakeNmcli nmcli;
    nmcli.Write("active", "lo:loopback:activated\nWired:ethernet:activated\n");
    TDialer d(nmcli);
    d.ras.SetService("Home DSL"); // ForceService is true by default
    d.ras.Dial();
    EXPECT_TRUE(d.ras.DialledByMe());
    EXPECT_EQ(nmcli.Changes().size(), 1u);
}

TEST(DialUp, FailureCarriesNetworkManagersWords) {
    TFakeNmcli nmcli;
    nmcli.Write("up-fails", "");
    TDialer d(nmcli);
    d.ras.SetService("Home DSL");
    try {
        d.ras.Dial();
        ADD_FAILURE();
    } catch (const ERASError& e) {
        EXPECT_EQ(e.Code, 4);
        EXPECT_STREQ(e.what(), "Error: Connection activation failed: no carrier");
    }
    EXPECT_FALSE(d.ras.Connected());
    d.ras.HangUp(); // nothing came up, so nothing goes down
    EXPECT_EQ(nmcli.Changes().size(), 1u);
}

TEST(DialUp, ProfileWithoutNetworkManagerCannotBeDialled) {
    TFakeNmcli nmcli;
    TDialer d(nmcli);
    d.ras.SetService("Home DSL");
    d.ras.SetNmcliProgram({}); // NetworkManager went away after the entry was chosen
    EXPECT_THROW(d.ras.Dial(), ERASError);
    EXPECT_FALSE(d.ras.Connected());
}

TEST(DialUp, TimeOutAndCancelTakeDownWhatWasComingUp) {
    for (bool cancel : {false, true}) {
        TFakeNmcli nmcli;
        nmcli.Write("up-hangs", "");
        TDialer d(nmcli);
        d.ras.SetService("Home DSL");
        d.ras.SetTimeOut(cancel ? 30 : 1);
        if (cancel) QTimer::singleShot(200, [&] { d.ras.CancelDial(); });
        if (cancel)
            EXPECT_THROW(d.ras.Dial(), ECanceledError);
        else
            EXPECT_THROW(d.ras.Dial(), ETimedOutError);
        EXPECT_FALSE(d.ras.Connected());
        const auto changes = nmcli.Changes();
        ASSERT_EQ(changes.size(), 2u) << cancel;
        EXPECT_EQ(changes[1], "connection down id Home DSL");
        EXPECT_EQ(d.events.back(), "disconnected");
    }
}

TEST(DialUp, SocketDialsBeforeConnectingAndHangsUpWhenClosing) {
    TFakeNmcli nmcli;
    TDialer d(nmcli);
    d.ras.SetService("Home DSL");
    TagSocket socket;
    socket.SetRAS(&d.ras);
    socket.Server = "127.0.0.1:1";
    socket.Connect();
    EXPECT_TRUE(d.ras.Connected());
    socket.Disconnect();
    EXPECT_FALSE(d.ras.Connected());
    EXPECT_EQ(nmcli.Changes().size(), 2u);
    {
        TagRas gone;
        socket.SetRAS(&gone);
    }
    EXPECT_EQ(socket.RAS(), nullptr);
}

} // namespace
} // namespace tavi
