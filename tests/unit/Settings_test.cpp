// The settings window, the tray menu and the ways the program ends, driven through the same
// window messages Windows sends.
#include "LumraFixture.h"
#include "Program.h"

#include <random>

using namespace win;

namespace {

class SettingsTest : public LumraTest {
protected:
    HWND a = sim.AddWindow("A");
    TForm1& form = Start();

    void Click(vcl::TButton* button) {
        // The button tells its parent window, which hands it back to the button.
        sim.SendMessageA(button->Parent()->Handle(), WM_COMMAND, BN_CLICKED << 16,
                         reinterpret_cast<LPARAM>(button->Handle()));
    }
    void Scroll(UINT code, int position = 0) {
        sim.SendMessageA(form.Handle(), WM_HSCROLL, (static_cast<WPARAM>(position) << 16) | code,
                         reinterpret_cast<LPARAM>(form.ScrollBar1->Handle()));
    }
    bool Shown() { return sim.IsWindowVisible(form.Handle()) == 1; }
    bool QuitPosted() const {
        for (const MSG& m : sim.queue)
            if (m.message == WM_QUIT) return true;
        return false;
    }
};

TEST(Percentage, TruncatesTowardZero) {
    struct Case {
        int level;
        const char* text;
    };
    for (const Case& c :
         {Case{0, "0"}, Case{128, "50"}, Case{175, "68"}, Case{254, "99"}, Case{255, "100"}})
        EXPECT_EQ(unit1::PercentText(c.level), c.text) << c.level;
}

TEST_F(SettingsTest, TheWindowIsBuiltHiddenAsDescribed) {
    EXPECT_FALSE(Shown());
    EXPECT_EQ(sim.At(form.Handle()).title, "設定");
    EXPECT_TRUE(sim.At(form.Handle()).exStyle & WS_EX_TOOLWINDOW);
    EXPECT_EQ(sim.GetWindow(form.Handle(), GW_OWNER), vcl::Application->Handle());
    struct Control {
        vcl::TWinControl* control;
        const char* className;
        HWND parent;
        int x, y, w, h;
        const char* caption;
    };
    const HWND f = form.Handle(), g1 = form.GroupBox1->Handle(), g2 = form.GroupBox2->Handle();
    for (const Control& c : {
             Control{form.GroupBox1, "TGroupBox", f, 0, 8, 73, 113, "設定"},
             Control{form.Button1, "TButton", g1, 8, 16, 57, 25, "OK"},
             Control{form.Button3, "TButton", g1, 8, 48, 57, 25, "キャンセル"},
             Control{form.Button2, "TButton", f, 8, 88, 57, 25, "終了"},
             Control{form.GroupBox2, "TGroupBox", f, 80, 8, 97, 113, "透明度"},
             Control{form.Label1, "TLabel", g2, 64, 72, 16, 16, "％"},
             Control{form.ScrollBar1, "TScrollBar", f, 88, 40, 81, 17, ""},
             Control{form.Panel1, "TPanel", f, 96, 72, 41, 33, "68"},
         }) {
        const SimDesktop::Window& w = sim.At(c.control->Handle());
        SCOPED_TRACE(c.className);
        EXPECT_EQ(w.className, c.className);
        EXPECT_EQ(w.parent, c.parent);
        EXPECT_EQ(std::vector<int>({w.x, w.y, w.width, w.height}),
                  std::vector<int>({c.x, c.y, c.w, c.h}));
        EXPECT_EQ(w.title, c.caption);
    }
    EXPECT_EQ(sim.At(form.ScrollBar1->Handle()).scrollMax, 255);
    EXPECT_EQ(sim.At(form.ScrollBar1->Handle()).scrollPos, 175);
    EXPECT_TRUE(sim.At(form.Panel1->Handle()).exStyle & WS_EX_STATICEDGE);
    EXPECT_EQ(form.Button3->Font().Height, -11);
    EXPECT_EQ(form.Button1->Font().Height, -13); // the group box's font
    EXPECT_EQ(form.Panel1->Font().Height, -19);  // the form's font
}

TEST_F(SettingsTest, TheScrollBarClampsAndReportsOnlyRealChanges) {
    int changes = 0;
    form.ScrollBar1->OnChange = [&](vcl::TObject*) { ++changes; };
    form.ScrollBar1->SetPosition(300);
    EXPECT_EQ(form.ScrollBar1->Position(), 255);
    form.ScrollBar1->SetPosition(255);
    form.ScrollBar1->SetPosition(-4);
    EXPECT_EQ(form.ScrollBar1->Position(), 0);
    EXPECT_EQ(changes, 2);
}

TEST_F(SettingsTest, UserActionsMoveTheLevelAndThePercentage) {
    struct Step {
        UINT code;
        int thumb;
        int level;
        const char* percent;
    };
    for (const Step& s : {Step{SB_LINERIGHT, 0, 185, "72"}, Step{SB_LINELEFT, 0, 175, "68"},
                          Step{SB_PAGELEFT, 0, 174, "68"}, Step{SB_PAGERIGHT, 0, 175, "68"},
                          Step{SB_THUMBTRACK, 99, 99, "38"}, Step{SB_THUMBPOSITION, 128, 128, "50"},
                          Step{SB_LEFT, 0, 0, "0"}, Step{SB_LINELEFT, 0, 0, "0"},
                          Step{SB_RIGHT, 0, 255, "100"}, Step{SB_LINERIGHT, 0, 255, "100"}}) {
        Scroll(s.code, s.thumb);
        EXPECT_EQ(form.Level(), s.level) << s.code;
        EXPECT_EQ(form.Panel1->Caption(), s.percent);
        EXPECT_EQ(sim.At(form.ScrollBar1->Handle()).scrollPos, s.level);
    }
    EXPECT_EQ(sim.At(a).alpha, 175); // nothing applied until "OK"
}

TEST_F(SettingsTest, OkAppliesStoresAndHides) {
    form.K1Click(nullptr);
    ASSERT_TRUE(Shown());
    Scroll(SB_THUMBTRACK, 100);
    const HWND late = sim.AddWindow("late"); // listed now, but "OK" sets no style
    Click(form.Button1);
    EXPECT_EQ(sim.At(a).alpha, 100);
    EXPECT_FALSE(sim.Layered(late));
    EXPECT_EQ(sim.ReadProfile(iniPath), "[Lumra]\r\nlay=100\r\n");
    EXPECT_FALSE(Shown());
    EXPECT_EQ(form.Count(), 3); // A, then A and late again
    Click(form.Button1);        // unchanged level: still walks and writes
    EXPECT_EQ(sim.LogMatching("WritePrivateProfileStringA").size(), 2u);
}

TEST_F(SettingsTest, CancelOnlyHides) {
    form.K1Click(nullptr);
    Scroll(SB_THUMBTRACK, 20);
    sim.ClearLog();
    Click(form.Button3);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(form.Level(), 20);
    EXPECT_EQ(sim.At(a).alpha, 175);
    EXPECT_FALSE(sim.ProfileExists(iniPath));
    EXPECT_TRUE(sim.LogMatching("SetLayered").empty());
    form.K1Click(nullptr); // the stored value comes back
    EXPECT_EQ(form.ScrollBar1->Position(), 175);
    EXPECT_EQ(form.Panel1->Caption(), "68");
}

TEST_F(SettingsTest, AFailedWriteIsShownAndTheWindowStays) {
    form.K1Click(nullptr);
    sim.PutDirectoryAt(iniPath);
    Click(form.Button1);
    ASSERT_EQ(sim.boxes.size(), 1u);
    EXPECT_EQ(sim.boxes[0].text, iniPath + " に書き込めません.");
    EXPECT_EQ(sim.boxes[0].caption, "lumra");
    EXPECT_EQ(sim.boxes[0].type & 0xF0, MB_ICONERROR);
    EXPECT_TRUE(Shown());
    std::filesystem::remove(sim.HostPath(iniPath));
    Click(form.Button1);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(sim.ReadProfile(iniPath), "[Lumra]\r\nlay=175\r\n");
}

TEST_F(SettingsTest, ExitButtonRestoresClosesAndRestoresAgain) {
    sim.ClearLog();
    Click(form.Button2);
    EXPECT_FALSE(sim.TimerRunning(form.Timer1->WindowHandle()));
    EXPECT_FALSE(sim.Layered(a));
    EXPECT_TRUE(QuitPosted());
    // Once per entry: A was listed at start and again by this enumeration.
    EXPECT_EQ(sim.LogMatching("SetWindowLongA(A, -20, 0x0)").size(), 2u);
    Close(); // and once more per entry after the enumeration of FormDestroy
    EXPECT_EQ(sim.LogMatching("SetWindowLongA(A, -20, 0x0)").size(), 5u);
}

TEST_F(SettingsTest, TheCloseBoxAndTheMenusExitEndTheProgram) {
    sim.SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(sim.IsWindow(form.Handle())); // the main form closes by ending the program
    sim.queue.clear();
    form.Exit1Click(nullptr);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(sim.Layered(a)); // FormDestroy restores, not the menu item
}

TEST_F(SettingsTest, SettingsFromTheMenuReloadsTheStoredLevel) {
    StoreLevel("300");
    form.K1Click(nullptr);
    EXPECT_EQ(form.Level(), 255);
    EXPECT_EQ(form.Panel1->Caption(), "100");
    EXPECT_TRUE(Shown());
    EXPECT_EQ(sim.GetForegroundWindow(), form.Handle());
    Scroll(SB_THUMBTRACK, 9);
    form.K1Click(nullptr); // while shown: the unsaved position is dropped
    EXPECT_EQ(form.ScrollBar1->Position(), 255);
    Click(form.Button1);
    EXPECT_EQ(sim.ReadProfile(iniPath), "[Lumra]\r\nlay=255\r\n");
}

TEST_F(SettingsTest, AChosenMenuItemRunsAfterTheTrayDispatchHasEnded) {
    bool busyDuringClick = true;
    form.K1->OnClick = [&](vcl::TObject*) { busyDuringClick = NotifyBusy; };
    sim.onPopup = [](const SimDesktop::Popup& popup) {
        EXPECT_EQ(popup.items.size(), 2u);
        EXPECT_EQ(popup.items[0].second, "設定");
        EXPECT_EQ(popup.items[1].second, "終了");
        return popup.items[0].first;
    };
    sim.SendMessageA(NotifyWindow->Handle(), WM_TASKTRAY, 1, WM_RBUTTONDOWN);
    EXPECT_TRUE(busyDuringClick); // not yet run
    vcl::Application->ProcessMessages();
    EXPECT_FALSE(busyDuringClick);
}

// The whole start sequence makes its own application object.
class ProgramTest : public ::testing::Test {
protected:
    SimDesktop sim;
    ProgramTest() { sim.AddResource("TFORM1", FormDescription()); }
};

TEST_F(ProgramTest, TheProgramRunsAndEndsRestoringEverything) {
    const HWND a = sim.AddWindow("A");
    sim.PostMessageA(nullptr, WM_QUIT, 0, 0);
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_FALSE(sim.Layered(a));
    EXPECT_TRUE(sim.LogMatching("SetWindowLongA(A, -20, 0x80000)").size() == 1);
    EXPECT_EQ(sim.LogMatching("Shell_NotifyIconA(2").size(), 1u);
    EXPECT_EQ(Form1, nullptr);
}

TEST_F(ProgramTest, AnIconThatCannotBeAddedEndsTheStartWithItsMessage) {
    sim.AddWindow("A");
    sim.failTrayCalls = 1;
    EXPECT_EQ(RunProgram(), 0);
    ASSERT_EQ(sim.boxes.size(), 1u);
    EXPECT_EQ(sim.boxes[0].text, std::string(tasktray::kNotAddable) + ".");
    EXPECT_TRUE(sim.LogMatching("SetWindowLongA(A").empty()); // no window was layered
    EXPECT_EQ(Form1, nullptr);
}

TEST(Title, IsTheFileNameUpToTheFirstDotLowerCasedAfterItsFirstCharacter) {
    SimDesktop sim;
    struct Case {
        const char* path;
        const char* title;
    };
    for (const Case& c :
         {Case{"C:\\Tools\\lumra.exe", "lumra"}, Case{"C:\\Tools\\MyApp.EXE", "Myapp"},
          Case{"C:\\x\\A.B.C", "A"}, Case{"C:\\x\\TOOL", "Tool"}})
        EXPECT_EQ(vcl::TitleFromModuleName(c.path), c.title);
}

} // namespace

namespace {

TEST_F(ProgramTest, AFaultRestoresEveryWindowBeforeTheProcessEnds) {
    const HWND a = sim.AddWindow("A");
    const HWND dialog = sim.AddWindow(SimDesktop::WindowSpec{.label = "dialog", .owner = a});
    // The fault happens while the program runs: from the message loop.
    vcl::UtilWindow crash([&](vcl::TMessage& m) {
        if (m.Msg != WM_USER) return false;
        sim.SetForeground(dialog);
        Form1->Timer1Timer(nullptr);
        EXPECT_TRUE(sim.Layered(a) && sim.Layered(dialog));
        const win::TOP_LEVEL_EXCEPTION_FILTER filter = sim.faultFilter;
        EXPECT_NE(filter, nullptr);
        EXPECT_EQ(filter ? filter(nullptr) : 0, 1); // the process ends, no debugger
        EXPECT_FALSE(sim.Layered(a));
        EXPECT_FALSE(sim.Layered(dialog));
        return true;
    });
    sim.PostMessageA(crash.Handle(), WM_USER, 0, 0);
    RunProgram();
    EXPECT_EQ(sim.LogMatching("MessageBoxA").size(), 0u);
}

} // namespace

namespace {

// Other programs can post anything to our windows: none of it may crash Lumra or change what it
// did to the desktop, and the notification guard must always end up idle.
TEST_F(SettingsTest, HostileMessagesLeaveEverythingAsItWas) {
    std::vector<HWND> ours;
    auto collect = [](HWND h, LPARAM list) {
        auto* v = reinterpret_cast<std::vector<HWND>*>(list);
        if (SimDesktop::Current()->At(h).pid == SimDesktop::kOwnPid) v->push_back(h);
        return 1;
    };
    sim.EnumWindows(collect, reinterpret_cast<LPARAM>(&ours));
    for (HWND top : std::vector<HWND>(ours))
        sim.EnumChildWindows(top, collect, reinterpret_cast<LPARAM>(&ours));
    ASSERT_GE(ours.size(), 10u);
    const UINT messages[] = {WM_TASKTRAY,
                             WM_COMMAND,
                             WM_HSCROLL,
                             WM_TIMER,
                             WM_USER,
                             WM_USER + 0x3F0,
                             sim.RegisterWindowMessageA("TaskbarCreated"),
                             WM_NULL};
    std::mt19937 random(20261211);
    sim.onPopup = [](const SimDesktop::Popup&) { return UINT_PTR{0}; }; // every menu is dismissed
    for (int i = 0; i < 4000; ++i) {
        const HWND target = ours[random() % ours.size()];
        const UINT msg = messages[random() % std::size(messages)];
        WPARAM w = random();
        LPARAM l = static_cast<LPARAM>(random());
        if (i % 3 == 0) l = reinterpret_cast<LPARAM>(ours[random() % ours.size()]); // a real window
        if (i % 5 == 0) w = random() % 4; // a live icon id
        if (msg == WM_COMMAND && i % 2) w = form.K1->Command() + 1000 + (w & 0xFF); // no such item
        if (msg == WM_COMMAND && (w >> 16) == BN_CLICKED) w |= 0x10000; // a click is a user's right
        sim.SendMessageA(target, msg, w, l);
        EXPECT_FALSE(NotifyBusy);
    }
    sim.queue.clear();
    EXPECT_TRUE(sim.IsWindow(form.Handle()));
    EXPECT_TRUE(sim.Layered(a));
    EXPECT_GE(form.Level(), 0);
    EXPECT_LE(form.Level(), 255);
    EXPECT_TRUE(sim.boxes.empty());
    Close();
    EXPECT_FALSE(sim.Layered(a));
}

} // namespace

namespace {

TEST_F(SettingsTest, LabelsAndGroupBoxesAreDrawnInTheDialogFaceWithTheirFontsColour) {
    const HDC dc = reinterpret_cast<HDC>(std::uintptr_t{0xDC});
    const LRESULT brush =
        sim.SendMessageA(form.GroupBox2->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(form.Label1->Handle()));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(sim.GetSysColorBrush(COLOR_BTNFACE)));
    EXPECT_EQ(sim.LogMatching("SetTextColor"),
              std::vector<std::string>{"SetTextColor(0xdc, 0x0)"}); // clBlack
    // Another program's window as the sender gets the default handling.
    EXPECT_EQ(sim.SendMessageA(form.Handle(), WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(a)),
              0);
}

} // namespace
