// TIniVesk and TIniFile: where the INI file lives, how integers are read and written there, and
// the Fence warning of the form designer.
#include "IniVesk.h"
#include "SimDesktop.h"
#include "vcl/FormReader.h"

#include <gtest/gtest.h>

using namespace vcl;

namespace {

class IniVeskTest : public ::testing::Test {
protected:
    SimDesktop sim;
    TComponent* root = nullptr;

    IniVeskTest() { inivesk::Register(); }
    ~IniVeskTest() override { Free(root); }

    // Reads a root holding one TIniVesk with the given stored properties.
    TIniVesk& Load(const std::string& properties, bool designing = false) {
        Free(root);
        root = new TComponent(nullptr);
        if (designing) root->SetDesigning(true);
        FormReader::ReadRoot(root, "object Root: TComponent\n"
                                   "  object IniVesk1: TIniVesk\n" +
                                       properties +
                                       "  end\n"
                                       "end\n");
        auto* ini = dynamic_cast<TIniVesk*>(root->FindComponent("IniVesk1"));
        if (!ini) throw std::runtime_error("no IniVesk1");
        return *ini;
    }
    bool NoProfileCalls() const {
        for (const std::string& line : sim.log)
            if (line.find("Profile") != std::string::npos) return false;
        return true;
    }
};

TEST_F(IniVeskTest, StartsWithNoFileAndTouchesNone) {
    TIniVesk ini(nullptr);
    EXPECT_EQ(ini.IniPath(), "");
    EXPECT_EQ(ini.DefaultDir(), ddApplication);
    EXPECT_EQ(ini.FileName(), "");
    EXPECT_EQ(ini.Fence(), fnNone);
    EXPECT_TRUE(sim.log.empty());
}

TEST_F(IniVeskTest, LoadingNamesTheFileAfterTheExecutable) {
    ASSERT_EQ(std::string("ア"), "\x83\x41");
    ASSERT_EQ(std::string("ヂ"), "\x83\x61");
    struct Case {
        const char* exe;
        const char* fileName;
        const char* iniPath;
    };
    const Case cases[] = {
        {"C:\\Tools\\MyApp.EXE", "Myapp.ini", "C:\\Tools\\Myapp.ini"},
        {"C:\\Tools\\lumra.exe", "Lumra.ini", "C:\\Tools\\Lumra.ini"},
        {"C:\\Tools\\TOOL", "Tool.ini", "C:\\Tools\\Tool.ini"},
        {"C:\\Tools\\my.app.exe", "My.app.ini", "C:\\Tools\\My.app.ini"},
        {"C:\\Tools\\2nd.exe", "2nd.ini", "C:\\Tools\\2nd.ini"},
        {"C:\\My.Dir\\X", "X.ini", "C:\\My.Dir\\X.ini"},
        {"C:\\ソフト\\表示.EXE", "表示.ini", "C:\\ソフト\\表示.ini"},
        {"C:\\Tools\\アプリ.exe", "ヂプリ.ini", "C:\\Tools\\ヂプリ.ini"},
        {"C:\\Tools\\ｱｲ.EXE", "ｱｲ.ini", "C:\\Tools\\ｱｲ.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.exe)));
        sim.modulePath = c.exe;
        const TIniVesk& ini = Load("    DefaultDir = ddApplication\n    Fence = fnNone\n");
        EXPECT_EQ(ini.FileName(), c.fileName);
        EXPECT_EQ(ini.IniPath(), c.iniPath);
        EXPECT_EQ(ini.Fence(), fnNone);
        EXPECT_FALSE(sim.ProfileExists(c.iniPath));
    }
    // Loaded on its own does the same.
    sim.modulePath = "C:\\Tools\\MyApp.EXE";
    TIniVesk lone(nullptr);
    lone.Loaded();
    EXPECT_EQ(lone.FileName(), "Myapp.ini");
    EXPECT_EQ(lone.IniPath(), "C:\\Tools\\Myapp.ini");
    EXPECT_TRUE(NoProfileCalls());
}

TEST_F(IniVeskTest, AStoredFileNameIsKept) {
    const TIniVesk& ini = Load("    DefaultDir = ddWindows\n    FileName = 'my.ini'\n");
    EXPECT_EQ(ini.FileName(), "my.ini");
    EXPECT_EQ(ini.IniPath(), "C:\\WINDOWS\\my.ini");
}

TEST_F(IniVeskTest, TheFileNameIsResolvedAgainstTheDefaultDirectory) {
    struct Case {
        TIniVeskDefaultDir dir;
        const char* windowsDir;
        const char* value;
        const char* path;
    };
    const Case cases[] = {
        {ddApplication, "C:\\WINDOWS", "app.ini", "C:\\Tools\\app.ini"},
        {ddWindows, "C:\\WINDOWS", "app.ini", "C:\\WINDOWS\\app.ini"},
        {ddWindows, "C:\\", "app.ini", "C:\\\\app.ini"},
        {ddNone, "C:\\WINDOWS", "app.ini", "app.ini"},
        {ddApplication, "C:\\WINDOWS", "D:\\cfg\\app.ini", "D:\\cfg\\app.ini"},
        {ddWindows, "C:\\WINDOWS", "D:\\cfg\\app.ini", "D:\\cfg\\app.ini"},
        {ddNone, "C:\\WINDOWS", "D:\\cfg\\app.ini", "D:\\cfg\\app.ini"},
        {ddApplication, "C:\\WINDOWS", "cfg\\app.ini", "cfg\\app.ini"},
        {ddWindows, "C:\\WINDOWS", "cfg\\app.ini", "cfg\\app.ini"},
        {ddNone, "C:\\WINDOWS", "cfg\\app.ini", "cfg\\app.ini"},
        {ddApplication, "C:\\WINDOWS", "C:app.ini", "C:app.ini"},
        {ddWindows, "C:\\WINDOWS", "C:app.ini", "C:app.ini"},
        {ddNone, "C:\\WINDOWS", "C:app.ini", "C:app.ini"},
        {ddApplication, "C:\\WINDOWS", "cfg/app.ini", "C:\\Tools\\cfg/app.ini"},
        {ddWindows, "C:\\WINDOWS", "cfg/app.ini", "C:\\WINDOWS\\cfg/app.ini"},
        {ddApplication, "C:\\WINDOWS", "", "C:\\Tools\\"},
        {ddWindows, "C:\\WINDOWS", "", "C:\\WINDOWS\\"},
        {ddNone, "C:\\WINDOWS", "", ""},
        {ddApplication, "C:\\WINDOWS", "表.ini", "C:\\Tools\\表.ini"},
        {ddApplication, "C:\\WINDOWS", "ソ\\a.ini", "ソ\\a.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.value)) + " under " +
                     std::to_string(static_cast<int>(c.dir)) + ", Windows in " + c.windowsDir);
        sim.windowsDir = c.windowsDir;
        TIniVesk ini(nullptr);
        ini.Loaded(); // an empty name stays empty only when given after loading
        ini.SetDefaultDir(c.dir);
        ini.SetFileName(c.value);
        EXPECT_EQ(ini.FileName(), c.value);
        EXPECT_EQ(ini.IniPath(), c.path);
        EXPECT_EQ(ini.DefaultDir(), c.dir);
    }
    EXPECT_TRUE(NoProfileCalls());
}

TEST_F(IniVeskTest, EveryDefaultDirectoryChangeResolvesAgain) {
    TIniVesk ini(nullptr);
    ini.SetFileName("app.ini");
    const struct {
        TIniVeskDefaultDir dir;
        const char* windowsDir;
        const char* path;
    } steps[] = {
        {ddWindows, "C:\\WINDOWS", "C:\\WINDOWS\\app.ini"},
        {ddWindows, "D:\\WINNT", "D:\\WINNT\\app.ini"}, // the same value, asked again
        {ddNone, "D:\\WINNT", "app.ini"},
        {ddApplication, "D:\\WINNT", "C:\\Tools\\app.ini"},
        {ddApplication, "D:\\WINNT", "C:\\Tools\\app.ini"},
        {ddWindows, "E:\\", "E:\\\\app.ini"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.path);
        sim.windowsDir = step.windowsDir;
        ini.SetDefaultDir(step.dir);
        EXPECT_EQ(ini.IniPath(), step.path);
        EXPECT_EQ(ini.FileName(), "app.ini");
    }
}

TEST_F(IniVeskTest, ALongWindowsDirectoryIsReadWhole) {
    for (std::size_t length : {3u, 148u, 149u, 150u, 151u, 259u, 300u, 2000u}) {
        SCOPED_TRACE(length);
        sim.windowsDir = "C:\\" + std::string(length - 3, 'w');
        TIniVesk ini(nullptr);
        ini.SetDefaultDir(ddWindows);
        ini.SetFileName("app.ini");
        EXPECT_EQ(ini.IniPath(), sim.windowsDir + "\\app.ini");
    }
}

class IniFileTest : public ::testing::Test {
protected:
    SimDesktop sim;
    const std::string path = "C:\\Tools\\test.ini";
    TIniFile ini{path};
};

TEST_F(IniFileTest, StoredTextBecomesANumberOrTheDefault) {
    struct Case {
        const char* text;
        std::int32_t expected; // kDefault: the default comes back
    };
    const std::int32_t kDefault = -7;
    const Case cases[] = {
        {"175", 175},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$1F", 31},
        {"0xFFFFFFFF", -1},
        {"0x7FFFFFFF", 2147483647},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"+5", 5},
        {"-5", -5},
        {"2147483648", kDefault},
        {"42abc", kDefault},
        {"0x", kDefault},
        {"0X", kDefault},
        {"0x123456789", kDefault},
        {"0xG", kDefault},
        {"x1F", kDefault},
        {"-0x1F", kDefault},
        {"", kDefault},
        {"\"12\"", 12}, // the profile functions drop the quotes
        {"  33  ", 33}, // and the blanks around the value
        {"1 2", kDefault},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        sim.WriteProfile(path, std::string("[Lumra]\r\nlay=") + c.text + "\r\n");
        EXPECT_EQ(ini.ReadInteger("Lumra", "lay", kDefault), c.expected);
    }
}

TEST_F(IniFileTest, WhatIsNotThereGivesTheDefaultAndLetterCaseDoesNotMatter) {
    const std::int32_t kDefault = 99;
    EXPECT_EQ(ini.ReadInteger("Lumra", "lay", kDefault), kDefault); // no file at all
    sim.WriteProfile(path, "[Other]\r\nlay=1\r\n[Lumra]\r\nlay=2\r\nspeed=3\r\n[Last]\r\nx=4\r\n");
    struct Case {
        const char* section;
        const char* key;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"Lumra", "lay", 2},          {"LUMRA", "LAY", 2},       {"lumra", "Speed", 3},
        {"other", "LAY", 1},          {"Last", "x", 4},          {"Lumra", "x", kDefault},
        {"Missing", "lay", kDefault}, {"Lumr", "lay", kDefault},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(ini.ReadInteger(c.section, c.key, kDefault), c.expected);
    }
    EXPECT_EQ(TIniFile("C:\\Tools\\other.ini").ReadInteger("Lumra", "lay", kDefault), kDefault);
}

TEST_F(IniFileTest, AVeryLongValueIsReadAsFarAsTheBufferGoes) {
    // Only the first 1023 bytes of a longer value reach the conversion.
    sim.WriteProfile(path, "[s]\r\nk=" + std::string(1100, '1') + "\r\n");
    EXPECT_EQ(ini.ReadInteger("s", "k", 5), 5);
    sim.WriteProfile(path, "[s]\r\nk=" + std::string(1030, '0') + "42\r\n");
    EXPECT_EQ(ini.ReadInteger("s", "k", 5), 0);
}

TEST_F(IniVeskTest, WrittenIntegersArePlainDecimalAndReadBack) {
    TIniVesk& ini = Load("");
    const std::string path = ini.IniPath();
    ASSERT_EQ(path, "C:\\Tools\\Lumra.ini");
    EXPECT_FALSE(sim.ProfileExists(path));
    ini.WriteInteger("Lumra", "lay", 175); // the first write makes the file
    EXPECT_TRUE(sim.ProfileExists(path));
    ini.WriteInteger("Lumra", "low", -5);
    ini.WriteInteger("Lumra", "hex", 31);
    EXPECT_EQ(sim.LogMatching("WritePrivateProfileStringA"),
              (std::vector<std::string>{"WritePrivateProfileStringA(Lumra, lay, 175)",
                                        "WritePrivateProfileStringA(Lumra, low, -5)",
                                        "WritePrivateProfileStringA(Lumra, hex, 31)"}));
    EXPECT_NE(sim.ReadProfile(path).find("lay=175"), std::string::npos);
    EXPECT_EQ(ini.ReadInteger("Lumra", "lay", 0), 175);
    EXPECT_EQ(ini.ReadInteger("lumra", "LOW", 0), -5);
    for (std::int32_t v : {0, 1, -1, 2147483647, -2147483647 - 1}) {
        ini.WriteInteger("Lumra", "lay", v);
        EXPECT_EQ(ini.ReadInteger("Lumra", "lay", 12345), v);
    }
}

TEST_F(IniVeskTest, AFailedWriteRaisesAndChangesNothing) {
    struct Case {
        const char* why;
        bool directory; // a directory where the file should be, or writes refused
    };
    for (const Case c : {Case{"writes refused", false}, Case{"a directory in the way", true}}) {
        SCOPED_TRACE(c.why);
        TIniVesk& ini = Load("    DefaultDir = ddWindows\n    FileName = 'x.ini'\n");
        const std::string path = ini.IniPath();
        ASSERT_EQ(path, "C:\\WINDOWS\\x.ini");
        if (c.directory)
            sim.PutDirectoryAt(path);
        else
            sim.failProfileWrites = true;
        try {
            ini.WriteInteger("Lumra", "lay", 1);
            ADD_FAILURE() << "no exception";
        } catch (const vcl::Exception& e) {
            EXPECT_EQ(e.Message(), path + " に書き込めません");
            EXPECT_EQ(e.Message(), path +
                                       " \x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9"
                                       "\x82\xF1");
        }
        EXPECT_EQ(ini.FileName(), "x.ini");
        EXPECT_EQ(ini.DefaultDir(), ddWindows);
        EXPECT_EQ(ini.Fence(), fnNone);
        EXPECT_EQ(ini.IniPath(), path);
        EXPECT_FALSE(sim.ProfileExists(path));

        if (c.directory)
            std::filesystem::remove(sim.HostPath(path));
        else
            sim.failProfileWrites = false;
        ini.WriteInteger("Lumra", "lay", 2);
        EXPECT_EQ(ini.ReadInteger("Lumra", "lay", 0), 2);
        std::filesystem::remove(sim.HostPath(path));
    }
}

TEST_F(IniVeskTest, AtRunTimeFenceChangesQuietly) {
    TIniVesk& ini = Load("");
    const TIniVeskFence all[] = {fnDoubleQuote, fnParenthesis, fnVer11Mode, fnNone};
    for (TIniVeskFence from : all)
        for (TIniVeskFence to : all) {
            ini.SetFence(from);
            ini.SetFence(to);
            EXPECT_EQ(ini.Fence(), to);
        }
    EXPECT_TRUE(sim.boxes.empty());
}

TEST_F(IniVeskTest, InTheDesignerAnUnstoredFenceIsVer11Mode) {
    struct Case {
        const char* properties;
        TIniVeskFence expected;
    };
    const Case cases[] = {
        {"", fnVer11Mode},
        {"    DefaultDir = ddWindows\n", fnVer11Mode},
        {"    Fence = fnNone\n", fnNone},
        {"    Fence = fnParenthesis\n", fnParenthesis},
        {"    Fence = fnVer11Mode\n", fnVer11Mode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.properties);
        const TIniVesk& ini = Load(c.properties, true);
        EXPECT_EQ(ini.Fence(), c.expected);
        EXPECT_EQ(ini.FileName(), ""); // no name made up in the designer
        EXPECT_TRUE(sim.boxes.empty());
    }
    // At run time nothing turns an unstored Fence into fnVer11Mode.
    EXPECT_EQ(Load("").Fence(), fnNone);
}

TEST_F(IniVeskTest, InTheDesignerLeavingVer11ModeWarnsOnce) {
    TIniVesk& ini = Load("", true);
    ASSERT_EQ(ini.Fence(), fnVer11Mode);
    TIniVeskFence seen = fnNone;
    sim.onMessageBox = [&](const SimDesktop::Box&) { seen = ini.Fence(); };
    ini.SetFence(fnVer11Mode); // no change, no word
    EXPECT_TRUE(sim.boxes.empty());
    ini.SetFence(fnDoubleQuote);
    ASSERT_EQ(sim.boxes.size(), 1u);
    EXPECT_EQ(seen, fnVer11Mode); // asked before the new value is stored
    EXPECT_EQ(ini.Fence(), fnDoubleQuote);
    const SimDesktop::Box& box = sim.boxes[0];
    EXPECT_EQ(box.caption, "警告");
    EXPECT_EQ(box.text,
              "fnVer11Mode以外の値にすると、TIniVeskのVer1.0とVer1.1で書き込んだﾌｧｲﾙを正し"
              "く読めない事があります。");
    EXPECT_EQ(box.type & 0xF0u, win::MB_ICONWARNING);
    EXPECT_EQ(box.type & 0x0Fu, win::MB_OK);

    // From any other value there is nothing to warn about, back to fnVer11Mode included.
    for (TIniVeskFence to : {fnParenthesis, fnNone, fnDoubleQuote, fnVer11Mode}) ini.SetFence(to);
    EXPECT_EQ(sim.boxes.size(), 1u);
    for (TIniVeskFence to : {fnParenthesis, fnNone, fnDoubleQuote}) {
        ini.SetFence(fnVer11Mode);
        ini.SetFence(to);
    }
    EXPECT_EQ(sim.boxes.size(), 4u); // once per departure from fnVer11Mode
}

TEST_F(IniVeskTest, ConfigurationAloneNeverTouchesTheFile) {
    sim.modulePath = "C:\\Tools\\MyApp.EXE";
    {
        TIniVesk& ini = Load("    DefaultDir = ddApplication\n    Fence = fnNone\n");
        ini.SetDefaultDir(ddWindows);
        ini.SetFileName("other.ini");
        ini.SetFence(fnParenthesis);
        ini.SetDefaultDir(ddNone);
        ini.Loaded();
        Free(root);
        root = nullptr;
    }
    for (const char* p : {"C:\\Tools\\Myapp.ini", "C:\\WINDOWS\\Myapp.ini", "C:\\Tools\\other.ini",
                          "C:\\WINDOWS\\other.ini", "other.ini"})
        EXPECT_FALSE(sim.ProfileExists(p)) << p;
    EXPECT_TRUE(NoProfileCalls());
    EXPECT_TRUE(sim.log.empty());
}

} // namespace
