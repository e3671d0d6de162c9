// The tray icon component: identifiers, the record sent to the shell, its failures, and the
// mouse notifications the shell sends back.
#include "LumraFixture.h"

#include <cstring>

using namespace win;
using vcl::TComponent;

namespace {

std::vector<std::uint8_t> IconFile() {
    const std::string bytes = ReadHostFile(LUMRA_ICO_PATH);
    return {bytes.begin(), bytes.end()};
}

class TrayTest : public ::testing::Test {
protected:
    SimDesktop sim;
    vcl::ApplicationScope app;
    vcl::TForm* form = new vcl::TForm(vcl::Application);
    vcl::TIcon picture;

    TrayTest() { picture.LoadFromBytes(IconFile()); }
    ~TrayTest() override { vcl::Free(form); }

    TTaskTray* Tray(bool registered = false, TComponent* owner = nullptr) {
        auto* tray = new TTaskTray(owner ? owner : form);
        tray->SetIcon(&picture);
        if (registered) tray->SetRegistered(true);
        return tray;
    }
    std::vector<std::pair<DWORD, UINT>> Calls() const {
        std::vector<std::pair<DWORD, UINT>> calls;
        for (const auto& call : sim.tray) calls.emplace_back(call.message, call.data.uID);
        return calls;
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> texts;
        for (int i = 0; i < TaskTrayList->Count(); ++i) texts.push_back(TaskTrayList->Strings(i));
        return texts;
    }
    static std::string Raised(const std::function<void()>& action) {
        try {
            action();
        } catch (const vcl::EInvalidOperation& e) {
            return e.Message();
        }
        return "(nothing raised)";
    }
};

TEST_F(TrayTest, IdentifiersFollowTheLastEntryAndStayUnique) {
    TTaskTray* first = Tray();
    TTaskTray* second = Tray();
    EXPECT_EQ(first->IconID(), 1);
    EXPECT_EQ(second->IconID(), 2);
    second->SetIconID(5);
    EXPECT_EQ(Tray()->IconID(), 6); // "1", "5": the last entry plus one
    vcl::Free(first);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"5", "6"}));
    // Entries "3" and "2": the last plus one is taken, so the next free number is used.
    form->DestroyComponents();
    TTaskTray* three = Tray();
    three->SetIconID(3);
    TTaskTray* two = Tray();
    two->SetIconID(2);
    EXPECT_EQ(Tray()->IconID(), 4);
    form->DestroyComponents();
    EXPECT_EQ(Tray()->IconID(), 1);
}

TEST_F(TrayTest, RenumberingARegisteredIconRemovesItThenAddsItUnderTheNewNumber) {
    TTaskTray* tray = Tray(true);
    Tray();
    sim.tray.clear();
    tray->SetIconID(3);
    EXPECT_EQ(Calls(), (std::vector<std::pair<DWORD, UINT>>{{NIM_DELETE, 1}, {NIM_ADD, 3}}));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"3", "2"})); // same place, new text
    TTaskTray* unregistered = Tray();
    sim.tray.clear();
    unregistered->SetIconID(9);
    EXPECT_TRUE(sim.tray.empty());
}

TEST_F(TrayTest, RefusedChangesRaiseTheirMessageAndChangeNothing) {
    TTaskTray* tray = Tray(true);
    TTaskTray* other = Tray();
    sim.tray.clear();
    for (int bad : {0, -1}) EXPECT_EQ(Raised([&] { tray->SetIconID(bad); }), tasktray::kIdBelowOne);
    EXPECT_EQ(Raised([&] { tray->SetIconID(other->IconID()); }), tasktray::kIdInUse);
    EXPECT_EQ(tray->IconID(), 1);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"1", "2"}));
    EXPECT_TRUE(sim.tray.empty());
    tray->SetIconID(1); // its own number: nothing, not even a shell call
    EXPECT_TRUE(sim.tray.empty());

    auto* empty = new TTaskTray(form);
    EXPECT_EQ(Raised([&] { empty->SetRegistered(true); }), tasktray::kNoIcon);
    EXPECT_FALSE(empty->Registered());
    EXPECT_TRUE(sim.tray.empty());
}

TEST_F(TrayTest, AFailedAddIsReportedAndTriedAgainNextTime) {
    TTaskTray* tray = Tray();
    sim.failTrayCalls = 1;
    EXPECT_EQ(Raised([&] { tray->SetRegistered(true); }), tasktray::kNotAddable);
    EXPECT_TRUE(tray->Registered());
    EXPECT_FALSE(tray->Added());
    tray->UpdateIcon();
    EXPECT_EQ(Calls(), (std::vector<std::pair<DWORD, UINT>>{{NIM_ADD, 1}, {NIM_ADD, 1}}));
    sim.tray.clear();
    auto* failed = Tray();
    sim.failTrayCalls = 1;
    Raised([&] { failed->SetRegistered(true); });
    sim.tray.clear();
    failed->SetRegistered(false); // never in the tray: nothing to delete
    EXPECT_TRUE(sim.tray.empty());
}

TEST_F(TrayTest, RegisteredAddsOnceAndRemoves) {
    TTaskTray* tray = Tray(true);
    tray->SetRegistered(true);
    tray->SetRegistered(false);
    EXPECT_EQ(Calls(), (std::vector<std::pair<DWORD, UINT>>{{NIM_ADD, 1}, {NIM_DELETE, 1}}));
    EXPECT_FALSE(tray->Registered());
}

TEST_F(TrayTest, TheRecordCarriesTheWindowTheIdentifierAndTheTip) {
    TTaskTray* tray = Tray(true);
    ASSERT_EQ(sim.tray.size(), 1u);
    const NOTIFYICONDATAA& sent = sim.tray[0].data;
    std::uint32_t field[6];
    std::memcpy(field, &sent, sizeof field);
    EXPECT_EQ(field[0], 88u);
    EXPECT_EQ(field[1], FromHwnd(NotifyWindow->Handle()));
    EXPECT_EQ(field[2], 1u);
    EXPECT_EQ(field[3], 3u); // no tip: message and icon only
    EXPECT_EQ(field[4], 0x466u);
    EXPECT_NE(field[5], 0u);
    EXPECT_EQ(sent.szTip[0], '\0');
    EXPECT_EQ(NotifyWindow->Parent(), form);

    tray->SetTipString("Lumra");
    tray->SetTipString("Lumra");
    tray->SetTipString("");
    ASSERT_EQ(sim.tray.size(), 3u);
    EXPECT_EQ(sim.tray[1].message, NIM_MODIFY);
    EXPECT_EQ(sim.tray[1].data.uFlags, 7u);
    EXPECT_STREQ(sim.tray[1].data.szTip, "Lumra");
    EXPECT_EQ(sim.tray[2].data.uFlags, 3u);
}

TEST_F(TrayTest, ALongTipIsCutAtACharacterBoundary) {
    TTaskTray* tray = Tray(true);
    struct Case {
        std::string tip;
        std::size_t kept;
    };
    const std::string wide = "設"; // two bytes
    std::string wideTip;
    for (int i = 0; i < 40; ++i) wideTip += wide;
    for (const Case& c : {Case{std::string(63, 'a'), 63}, Case{std::string(80, 'b'), 63},
                          Case{"a" + wideTip, 63}, Case{wideTip, 62}}) {
        tray->SetTipString(c.tip);
        const NOTIFYICONDATAA& sent = sim.tray.back().data;
        EXPECT_EQ(std::strlen(sent.szTip), c.kept);
        EXPECT_EQ(std::string(sent.szTip), c.tip.substr(0, c.kept));
    }
}

TEST_F(TrayTest, ClearingTheIconTakesItOutOfTheTray) {
    TTaskTray* tray = Tray(true);
    tray->SetIcon(tray->Icon()); // its own icon: nothing
    EXPECT_EQ(sim.tray.size(), 1u);
    tray->SetIcon(nullptr);
    EXPECT_EQ(sim.tray.back().message, NIM_DELETE);
    EXPECT_FALSE(tray->Registered());
    EXPECT_EQ(tray->Icon()->Handle(), nullptr);
}

TEST_F(TrayTest, ADestroyedMenuIsForgottenOnBothButtons) {
    TTaskTray* tray = Tray();
    auto* menu = new vcl::TPopupMenu(form);
    tray->SetPopupMenuL(menu);
    tray->SetPopupMenuR(menu);
    vcl::Free(menu);
    EXPECT_EQ(tray->PopupMenuL(), nullptr);
    EXPECT_EQ(tray->PopupMenuR(), nullptr);
}

TEST_F(TrayTest, InADesignerNothingReachesTheShell) {
    form->SetDesigning(true);
    TTaskTray* tray = Tray(true);
    tray->SetIconID(4);
    tray->Loaded();
    EXPECT_TRUE(tray->Registered());
    EXPECT_EQ(tray->IconID(), 4);
    EXPECT_TRUE(sim.tray.empty());
}

TEST_F(TrayTest, DestroyingRemovesTheIconAndTheEntry) {
    TTaskTray* shown = Tray(true);
    TTaskTray* hidden = Tray();
    sim.tray.clear();
    vcl::Free(hidden);
    EXPECT_TRUE(sim.tray.empty());
    vcl::Free(shown);
    EXPECT_EQ(Calls(), (std::vector<std::pair<DWORD, UINT>>{{NIM_DELETE, 1}}));
    EXPECT_EQ(TaskTrayList->Count(), 0);
}

TEST_F(TrayTest, ARestartedShellGetsEveryRegisteredIconAgain) {
    TTaskTray* shown = Tray(true);
    Tray();
    TTaskTray* failed = Tray();
    sim.failTrayCalls = 1;
    Raised([&] { failed->SetRegistered(true); });
    sim.tray.clear();
    // The shell broadcasts it to every top-level window.
    const UINT taskbarCreated = sim.RegisterWindowMessageA("TaskbarCreated");
    std::vector<HWND> topLevel;
    sim.EnumWindows(
        [](HWND h, LPARAM list) {
            return reinterpret_cast<std::vector<HWND>*>(list)->push_back(h), 1;
        },
        reinterpret_cast<LPARAM>(&topLevel));
    for (HWND h : topLevel) sim.SendMessageA(h, taskbarCreated, 0, 0);
    EXPECT_TRUE(shown->Added());
    EXPECT_EQ(Calls(), (std::vector<std::pair<DWORD, UINT>>{{NIM_ADD, 1}, {NIM_ADD, 3}}));
}

TEST_F(TrayTest, TheFirstIconNeedsAFormToCarryTheNotificationWindow) {
    vcl::TComponent plain(nullptr);
    auto* tray = Tray(false, &plain);
    EXPECT_EQ(Raised([&] { tray->SetRegistered(true); }), tasktray::kNoFormOwner);
    vcl::Free(tray);
}

TEST_F(TrayTest, ANewWindowIsMadeAfterTheOwnerOfTheOldOneIsGone) {
    auto* other = new vcl::TForm(vcl::Application);
    Tray(true, other);
    TTaskTray* mine = Tray(true);
    const HWND first = NotifyWindow->Handle();
    vcl::Free(other);
    EXPECT_EQ(NotifyWindow, nullptr);
    mine->SetIconID(7); // a fresh add: needs a window again
    ASSERT_NE(NotifyWindow, nullptr);
    EXPECT_NE(NotifyWindow->Handle(), first);
    EXPECT_EQ(sim.tray.back().data.hWnd, FromHwnd(NotifyWindow->Handle()));
}

// --- the shell's notifications ---

class DispatchTest : public TrayTest {
protected:
    TTaskTray* tray = Tray(true);
    vcl::TPopupMenu* left = new vcl::TPopupMenu(form);
    vcl::TPopupMenu* right = new vcl::TPopupMenu(form);
    std::vector<std::string>& events = sim.log;

    DispatchTest() {
        auto add = [&](vcl::TPopupMenu* menu, const char* caption) {
            auto* item = new vcl::TMenuItem(form);
            item->Caption = caption;
            menu->Add(item);
        };
        add(left, "left");
        add(right, "right");
        tray->SetPopupMenuL(left);
        tray->SetPopupMenuR(right);
        auto name = [](vcl::TMouseButton b) { return std::to_string(static_cast<int>(b)); };
        tray->OnMouseDown = [this, name](vcl::TObject* s, vcl::TMouseButton b, vcl::TShiftState,
                                         int x, int y) {
            EXPECT_EQ(s, tray);
            events.push_back("down " + name(b) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        tray->OnMouseUp = [this, name](vcl::TObject*, vcl::TMouseButton b, vcl::TShiftState, int,
                                       int) { events.push_back("up " + name(b)); };
        tray->OnMouseMove = [this](vcl::TObject*, vcl::TShiftState shift, int x, int y) {
            events.push_back(std::string("move ") + (shift.Empty() ? "" : "shift ") +
                             std::to_string(x) + "," + std::to_string(y));
        };
        tray->OnDblClick = [this, name](vcl::TObject* Seft, vcl::TMouseButton b) {
            EXPECT_EQ(Seft, tray);
            events.push_back("dbl " + name(b));
        };
        sim.cursor = {40, 50};
    }
    void Notify(WPARAM id, LPARAM mouse) {
        sim.SendMessageA(NotifyWindow->Handle(), WM_TASKTRAY, id, mouse);
    }
    std::vector<std::string> Seen() const {
        std::vector<std::string> seen;
        for (const std::string& line : sim.log)
            if (line.rfind("down", 0) == 0 || line.rfind("up", 0) == 0 ||
                line.rfind("move", 0) == 0 || line.rfind("dbl", 0) == 0 ||
                line.rfind("TrackPopupMenu", 0) == 0 || line.rfind("SetForegroundWindow", 0) == 0)
                seen.push_back(line);
        return seen;
    }
};

TEST_F(DispatchTest, EveryMouseMessageGoesToItsMethod) {
    using V = std::vector<std::string>;
    const std::string front = "SetForegroundWindow(TForm)";
    struct Row {
        LPARAM mouse;
        V seen;
    };
    for (const Row& row : {
             Row{0x200, V{"move 40,50"}},
             Row{0x201, V{front, "down 0 40,50", "TrackPopupMenu(40, 50)"}},
             Row{0x202, V{"up 0"}},
             Row{0x203, V{"dbl 0"}},
             Row{0x204, V{front, "down 1 40,50", "TrackPopupMenu(40, 50)"}},
             Row{0x205, V{"up 1"}},
             Row{0x206, V{"dbl 1"}},
             Row{0x207, V{front, "down 2 40,50"}},
             Row{0x208, V{"up 2"}},
             Row{0x209, V{}},
             Row{0x1201, V{}},
             Row{-1, V{}},
         }) {
        SCOPED_TRACE(row.mouse);
        sim.ClearLog();
        sim.popups.clear();
        Notify(1, row.mouse);
        EXPECT_EQ(Seen(), row.seen);
        EXPECT_FALSE(NotifyBusy);
    }
}

TEST_F(DispatchTest, EachButtonPopsUpItsOwnMenuAtTheCursorOfThatMoment) {
    Notify(1, WM_LBUTTONDOWN);
    sim.cursor = {7, 8};
    Notify(1, WM_RBUTTONDOWN);
    ASSERT_EQ(sim.popups.size(), 2u);
    EXPECT_EQ(sim.popups[0].items.at(0).second, "left");
    EXPECT_EQ(sim.popups[1].items.at(0).second, "right");
    EXPECT_EQ(sim.popups[1].x, 7);
    EXPECT_EQ(sim.popups[1].y, 8);
    tray->SetPopupMenuL(nullptr);
    Notify(1, WM_LBUTTONDOWN);
    EXPECT_EQ(sim.popups.size(), 2u);
}

TEST_F(DispatchTest, AnUnknownIdentifierDoesNothing) {
    NotifyBusy = true; // left as it is: the lookup comes first
    Notify(2, WM_RBUTTONDOWN);
    EXPECT_TRUE(NotifyBusy);
    NotifyBusy = false;
    EXPECT_TRUE(Seen().empty());
}

TEST_F(DispatchTest, PressingBringsTheFormForwardRunsPendingMessagesThenTheEventThenTheMenu) {
    vcl::UtilWindow pending([this](vcl::TMessage& m) {
        if (m.Msg != WM_USER) return false;
        events.push_back("pending message");
        return true;
    });
    sim.PostMessageA(pending.Handle(), WM_USER, 0, 0);
    sim.ClearLog();
    Notify(1, WM_RBUTTONDOWN);
    const std::vector<std::string> expected{"SetForegroundWindow(TForm)", "pending message",
                                            "down 1 40,50", "TrackPopupMenu(40, 50)"};
    std::vector<std::string> seen;
    for (const std::string& line : sim.log)
        if (std::find(expected.begin(), expected.end(), line) != expected.end())
            seen.push_back(line);
    EXPECT_EQ(seen, expected);
}

TEST_F(DispatchTest, NotificationsArrivingDuringADispatchAreDropped) {
    // One arrives while pending messages run, one while the menu is open.
    sim.PostMessageA(NotifyWindow->Handle(), WM_TASKTRAY, 1, WM_MOUSEMOVE);
    sim.onPopup = [this](const SimDesktop::Popup&) {
        EXPECT_TRUE(NotifyBusy);
        return UINT_PTR{0};
    };
    tray->OnMouseDown = [this](vcl::TObject*, vcl::TMouseButton, vcl::TShiftState, int, int) {
        sim.PostMessageA(NotifyWindow->Handle(), WM_TASKTRAY, 1, WM_LBUTTONDBLCLK);
    };
    Notify(1, WM_RBUTTONDOWN);
    EXPECT_EQ(sim.popups.size(), 1u);
    EXPECT_TRUE(Seen().size() == 2u); // the press itself: foreground and menu; nothing else
    EXPECT_FALSE(NotifyBusy);
    Notify(1, WM_MOUSEMOVE);
    EXPECT_EQ(sim.log.back(), "move 40,50");
}

TEST_F(DispatchTest, AFailingEventSuppressesTheMenuAndIsShown) {
    tray->OnMouseDown = [](vcl::TObject*, vcl::TMouseButton, vcl::TShiftState, int, int) {
        throw vcl::Exception("broken");
    };
    Notify(1, WM_RBUTTONDOWN);
    EXPECT_TRUE(sim.popups.empty());
    EXPECT_FALSE(NotifyBusy);
    ASSERT_EQ(sim.boxes.size(), 1u);
    EXPECT_EQ(sim.boxes[0].text, "broken.");
    Notify(1, WM_RBUTTONUP);
    EXPECT_EQ(sim.log.back(), "up 1");
}

TEST_F(DispatchTest, AnOwnerThatIsNoFormIsNotBroughtForward) {
    vcl::TComponent plain(nullptr);
    TTaskTray* loose = Tray(true, &plain); // the form's component made the window already
    loose->SetPopupMenuR(right);
    sim.ClearLog();
    Notify(static_cast<WPARAM>(loose->IconID()), WM_RBUTTONDOWN);
    EXPECT_TRUE(sim.LogMatching("SetForegroundWindow").empty());
    EXPECT_EQ(sim.popups.size(), 1u);
    vcl::Free(loose);
}

} // namespace
