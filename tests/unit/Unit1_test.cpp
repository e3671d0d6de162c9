// The window list, the walks, foreground tracking and the form's life, on a simulated desktop.
#include "LumraFixture.h"

using namespace win;
using Log = std::vector<std::string>;

namespace {

class TranslucencyTest : public LumraTest {
protected:
    HWND a = sim.AddWindow("A");
    HWND b = sim.AddWindow("B");

    Log WalkLog(const std::string& window) const {
        Log out;
        for (const std::string& line : sim.log)
            if (line.find("(" + window + ",") != std::string::npos ||
                line.find("(" + window + ")") != std::string::npos)
                out.push_back(line);
        return out;
    }
    static const Log& LayerCalls(const std::string& w, int level) {
        static std::map<std::string, Log> cache;
        return cache[w + std::to_string(level)] = Log{
                   "GetWindowLongA(" + w + ", -20)",
                   "SetWindowLongA(" + w + ", -20, 0x80000)",
                   "SetLayeredWindowAttributes(" + w + ", 0, 255, 2)",
                   "SetLayeredWindowAttributes(" + w + ", 0, " + std::to_string(level) + ", 2)",
               };
    }
};

TEST_F(TranslucencyTest, QualifyingWindowsAreListedInEnumerationOrder) {
    const HWND owned = sim.AddWindow(SimDesktop::WindowSpec{.label = "owned", .owner = a});
    const HWND untitled = sim.AddWindow(SimDesktop::WindowSpec{.label = "untitled", .title = ""});
    const HWND hidden = sim.AddWindow(SimDesktop::WindowSpec{.label = "hidden", .visible = false});
    TForm1& form = Start();
    ASSERT_EQ(form.Count(), 2); // A and B; not the desktop, nor Lumra's own windows
    EXPECT_EQ(form.Listed(0), a);
    EXPECT_EQ(form.Listed(1), b);
    EXPECT_EQ(form.Listed(2), nullptr);
    for (HWND untouched : {owned, untitled, hidden, desktop})
        EXPECT_FALSE(sim.Layered(untouched)) << sim.Name(untouched);
}

TEST_F(TranslucencyTest, StartLayersEveryListedWindowAtTheStoredLevel) {
    Start();
    // Per window: a first look at how its program had it, then the style read and written back
    // with the layered bit, alpha 255, then the level.
    Log expected;
    for (const char* w : {"A", "B"}) {
        expected.push_back("GetWindowLongA(" + std::string(w) + ", -20)");
        for (const std::string& line : LayerCalls(w, 175)) expected.push_back(line);
    }
    Log walk;
    for (const std::string& line : sim.log)
        if (line.rfind("GetWindowLongA(A", 0) == 0 || line.rfind("SetWindowLongA(A", 0) == 0 ||
            line.rfind("SetLayeredWindowAttributes(A", 0) == 0 ||
            line.rfind("GetWindowLongA(B", 0) == 0 || line.rfind("SetWindowLongA(B", 0) == 0 ||
            line.rfind("SetLayeredWindowAttributes(B", 0) == 0)
            walk.push_back(line);
    EXPECT_EQ(walk, expected);
    EXPECT_EQ(sim.At(a).alpha, 175);
    EXPECT_FALSE(sim.ProfileExists(iniPath)); // nothing is written at start
}

TEST_F(TranslucencyTest, EachAlphaCallLoadsUser32AndFreesIt) {
    Start();
    const Log& log = sim.log;
    const auto first =
        std::find(log.begin(), log.end(), "SetLayeredWindowAttributes(A, 0, 255, 2)");
    ASSERT_NE(first, log.end());
    ASSERT_GE(first - log.begin(), 2);
    EXPECT_EQ(*(first - 2), "LoadLibraryA(user32.dll)");
    EXPECT_EQ(*(first - 1), "GetProcAddress(SetLayeredWindowAttributes)");
    EXPECT_EQ(*(first + 1), "FreeLibrary");
}

TEST_F(TranslucencyTest, StoredValuesAreClampedToTheScrollBarsRange) {
    struct Case {
        const char* stored;
        int level;
        const char* percent;
    };
    for (const Case& c :
         {Case{nullptr, 175, "68"}, Case{"300", 255, "100"}, Case{"-5", 0, "0"},
          Case{"175", 175, "68"}, Case{"0x1F", 31, "12"}, Case{"junk", 175, "68"}}) {
        SCOPED_TRACE(c.stored ? c.stored : "no INI file");
        if (c.stored) StoreLevel(c.stored);
        TForm1& form = Start();
        EXPECT_EQ(form.Level(), c.level);
        EXPECT_EQ(form.ScrollBar1->Position(), c.level);
        EXPECT_EQ(form.Panel1->Caption(), c.percent);
        EXPECT_EQ(sim.At(a).alpha, c.level & 0xFF);
        Close();
        std::filesystem::remove(sim.HostPath(iniPath));
    }
}

TEST_F(TranslucencyTest, WithoutSetLayeredWindowAttributesOnlyTheStyleChanges) {
    sim.hasSetLayered = false;
    Start();
    EXPECT_TRUE(sim.Layered(a));
    EXPECT_TRUE(sim.LogMatching("SetLayeredWindowAttributes").empty());
    EXPECT_EQ(sim.LogMatching("LoadLibraryA").size(), sim.LogMatching("FreeLibrary").size());
}

TEST_F(TranslucencyTest, ForegroundTrackingKeepsTheWindowInFrontOpaque) {
    TForm1& form = Start();
    sim.SetForeground(a);
    sim.ClearLog();
    form.Timer1Timer(nullptr); // first change: A opaque; the previous window is none
    EXPECT_EQ(sim.At(a).alpha, 255);
    EXPECT_EQ(form.Previous(), a);
    EXPECT_TRUE(sim.LogMatching("SetLayeredWindowAttributes(0").empty());

    sim.ClearLog();
    form.Timer1Timer(nullptr); // same window: nothing at all
    EXPECT_TRUE(sim.LogMatching("Set").empty());

    sim.SetForeground(b);
    form.Timer1Timer(nullptr);
    EXPECT_EQ(sim.At(b).alpha, 255);
    EXPECT_EQ(sim.At(a).alpha, 175);
    sim.SetForeground(a);
    form.Timer1Timer(nullptr);
    EXPECT_EQ(sim.At(a).alpha, 255);
    EXPECT_EQ(sim.At(b).alpha, 175);
}

TEST_F(TranslucencyTest, HiddenUntitledOrDesktopForegroundChangesNothing) {
    const HWND hidden = sim.AddWindow(SimDesktop::WindowSpec{.label = "hidden", .visible = false});
    const HWND untitled = sim.AddWindow(SimDesktop::WindowSpec{.label = "untitled", .title = ""});
    TForm1& form = Start();
    sim.SetForeground(a);
    form.Timer1Timer(nullptr);
    for (HWND front : {hidden, untitled, desktop}) {
        sim.SetForeground(front);
        sim.ClearLog();
        form.Timer1Timer(nullptr);
        EXPECT_EQ(form.Foreground(), front);
        EXPECT_EQ(form.Previous(), a);
        EXPECT_TRUE(sim.LogMatching("Set").empty()) << sim.Name(front);
    }
}

TEST_F(TranslucencyTest, ScrollBarLevelGoesToTheWindowThatLosesTheForeground) {
    TForm1& form = Start();
    sim.SetForeground(a);
    form.Timer1Timer(nullptr);
    form.ScrollBar1->SetPosition(40);
    sim.SetForeground(b);
    form.Timer1Timer(nullptr);
    EXPECT_EQ(sim.At(a).alpha, 40);
}

TEST_F(TranslucencyTest, EveryEnumerationAppendsTheWindowsAgain) {
    TForm1& form = Start();
    form.Button1Click(nullptr);
    form.Button1Click(nullptr);
    ASSERT_EQ(form.Count(), 6);
    EXPECT_EQ(form.Listed(4), a);
    EXPECT_EQ(form.Listed(5), b);
}

TEST_F(TranslucencyTest, ExitRestoresEveryWindowLumraChangedListedOrNot) {
    TForm1& form = Start();
    const HWND dialog = sim.AddWindow(SimDesktop::WindowSpec{.label = "dialog", .owner = a});
    const HWND late = sim.AddWindow("late");
    for (HWND front : {dialog, late, a}) {
        sim.SetForeground(front);
        form.Timer1Timer(nullptr);
    }
    ASSERT_TRUE(sim.Layered(dialog));
    ASSERT_TRUE(sim.Layered(late));
    sim.CloseWindow(late); // gone before exit: nothing to do for it
    Close();
    for (HWND w : {a, b, dialog}) EXPECT_FALSE(sim.Layered(w)) << sim.Name(w);
}

TEST_F(TranslucencyTest, WindowsLayeredByTheirOwnProgramAreNotBroken) {
    const HWND own = sim.AddWindow(SimDesktop::WindowSpec{.label = "own", .ownAlpha = 200});
    const HWND perPixel =
        sim.AddWindow(SimDesktop::WindowSpec{.label = "perpixel", .perPixel = true});
    TForm1& form = Start();
    EXPECT_EQ(sim.At(own).alpha, 175); // translucent while Lumra runs
    sim.SetForeground(perPixel);
    form.Timer1Timer(nullptr);
    for (const std::string& line : WalkLog("perpixel")) EXPECT_NE(line.rfind("Set", 0), 0u) << line;
    EXPECT_TRUE(sim.At(perPixel).perPixel);
    Close();
    EXPECT_TRUE(sim.Layered(own));
    EXPECT_EQ(sim.At(own).alpha, 200);
    EXPECT_TRUE(sim.Layered(perPixel));
    EXPECT_TRUE(sim.At(perPixel).perPixel);
}

TEST_F(TranslucencyTest, WithoutGetLayeredWindowAttributesALayeredWindowIsLeftAlone) {
    sim.hasGetLayered = false;
    const HWND own = sim.AddWindow(SimDesktop::WindowSpec{.label = "own", .ownAlpha = 200});
    Start();
    EXPECT_EQ(sim.At(own).alpha, 200);
    EXPECT_TRUE(sim.At(a).exStyle & WS_EX_LAYERED);
    Close();
    EXPECT_EQ(sim.At(own).alpha, 200);
    EXPECT_TRUE(sim.Layered(own));
}

TEST_F(TranslucencyTest, AFullListMakesRoomFromDuplicatesAndClosedWindows) {
    std::vector<HWND> many;
    for (int i = 0; i < 148; ++i) many.push_back(sim.AddWindow("w" + std::to_string(i)));
    TForm1& form = Start(); // 150 qualifying windows: the first 100 fit
    ASSERT_EQ(form.Count(), 100);
    EXPECT_EQ(form.Listed(99), many[97]);
    for (int i = 0; i < 60; ++i) sim.CloseWindow(many[i]);
    form.Button1Click(nullptr);
    // The closed ones made room; the rest are listed once each, in order.
    EXPECT_EQ(form.Count(), 90);
    EXPECT_EQ(form.Listed(0), a);
    int lastSeen = 0;
    for (int i = 0; i < form.Count(); ++i) lastSeen += form.Listed(i) == many.back();
    EXPECT_EQ(lastSeen, 1);
    Close();
    for (HWND w : many) {
        if (sim.IsWindow(w)) {
            EXPECT_FALSE(sim.Layered(w)) << sim.Name(w);
        }
    }
}

} // namespace

namespace {

TEST_F(TranslucencyTest, AForegroundEventRunsTheSameStepAtOnce) {
    TForm1& form = Start();
    ASSERT_EQ(sim.LogMatching("SetWinEventHook").size(), 1u);
    sim.FireForegroundEvent(b);
    EXPECT_EQ(sim.At(b).alpha, 255);
    EXPECT_EQ(form.Previous(), b);
    sim.SetForeground(a); // an event that never came: the tick corrects it
    form.Timer1Timer(nullptr);
    EXPECT_EQ(sim.At(a).alpha, 255);
    EXPECT_EQ(sim.At(b).alpha, 175);
    // Unhooked before the windows are put back, so no late event layers one again.
    Close();
    const auto unhook = std::find(sim.log.begin(), sim.log.end(), "UnhookWinEvent");
    const auto restore = std::find(sim.log.begin(), sim.log.end(), "SetWindowLongA(A, -20, 0x0)");
    EXPECT_LT(unhook, restore);
}

TEST_F(TranslucencyTest, WithoutWinEventHooksTheTickAloneTracks) {
    sim.hasWinEventHook = false;
    TForm1& form = Start();
    sim.FireForegroundEvent(b);
    EXPECT_EQ(sim.At(b).alpha, 175);
    form.Timer1Timer(nullptr);
    EXPECT_EQ(sim.At(b).alpha, 255);
}

TEST_F(TranslucencyTest, TheEndOfTheSessionRestoresAtOnce) {
    TForm1& form = Start();
    sim.SendMessageA(form.Handle(), WM_ENDSESSION, 1, 0);
    EXPECT_FALSE(sim.Layered(a));
    EXPECT_FALSE(sim.TimerRunning(form.Timer1->WindowHandle()));
    const auto restores = sim.LogMatching("SetWindowLongA(A, -20, 0x0)").size();
    Close(); // FormDestroy has run already: nothing twice
    EXPECT_EQ(sim.LogMatching("SetWindowLongA(A, -20, 0x0)").size(), restores);
}

TEST_F(TranslucencyTest, ACancelledEndOfSessionChangesNothing) {
    Start();
    sim.SendMessageA(Form1->Handle(), WM_ENDSESSION, 0, 0);
    EXPECT_TRUE(sim.Layered(a));
}

} // namespace
