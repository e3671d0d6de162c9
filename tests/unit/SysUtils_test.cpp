// Number conversions and the byte-wise file-name routines, on a desktop that answers as code
// page 932 does.
#include "SimDesktop.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

using namespace vcl;

namespace {

class SysUtilsTest : public ::testing::Test {
protected:
    SimDesktop sim; // the path routines ask the seam which bytes lead a double-byte character
};

TEST(StrToInt, DecimalAndHexConvertEverythingElseIsNoNumber) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> expected;
    };
    const Case cases[] = {
        {"0", 0},
        {"42", 42},
        {"+7", 7},
        {"-7", -7},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"$1F", 31},
        {"$1f", 31},
        {"$0", 0},
        {"$7FFFFFFF", 2147483647},
        {"$80000000", -2147483647 - 1},
        {"$FFFFFFFF", -1},
        {"$00000001", 1},
        {"", std::nullopt},
        {"42abc", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"$", std::nullopt},
        {"$123456789", std::nullopt},
        {"$1G", std::nullopt},
        {" 5", std::nullopt},
        {"5 ", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"0x1F", std::nullopt},
        {"abc", std::nullopt},
    };
    const std::int32_t fallback = -999;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_EQ(TryStrToInt(c.text), c.expected);
        EXPECT_EQ(StrToIntDef(c.text, fallback), c.expected.value_or(fallback));
    }
}

TEST_F(SysUtilsTest, TheDirectoryEndsAtTheLastBackslashOrColonThatIsACharacter) {
    // The Shift-JIS bytes the cases below rely on: ソ and 表 end in 0x5C, ｱ is a single byte.
    ASSERT_EQ(std::string("ソ"), "\x83\x5C");
    ASSERT_EQ(std::string("表"), "\x95\x5C");
    ASSERT_EQ(std::string("ｱ"), "\xB1");
    struct Case {
        const char* path;
        const char* dir;
        const char* name;
        const char* withIni; // ChangeFileExt(path, ".INI")
    };
    const Case cases[] = {
        {"C:\\Tools\\MyApp.EXE", "C:\\Tools\\", "MyApp.EXE", "C:\\Tools\\MyApp.INI"},
        {"C:\\Tools\\my.app.exe", "C:\\Tools\\", "my.app.exe", "C:\\Tools\\my.app.INI"},
        {"C:\\Tools\\TOOL", "C:\\Tools\\", "TOOL", "C:\\Tools\\TOOL.INI"},
        {"C:\\my.dir\\tool", "C:\\my.dir\\", "tool", "C:\\my.dir\\tool.INI"},
        {"C:\\Tools\\", "C:\\Tools\\", "", "C:\\Tools\\.INI"},
        {"C:app.ini", "C:", "app.ini", "C:app.INI"},
        {"\\\\server\\share\\a.b", "\\\\server\\share\\", "a.b", "\\\\server\\share\\a.INI"},
        {"app", "", "app", "app.INI"},
        {"", "", "", ".INI"},
        {"cfg/app.ini", "", "cfg/app.ini", "cfg/app.INI"},
        {"C:/x.y/app", "C:", "/x.y/app", "C:/x.INI"},
        {"C:\\ソフト\\表示.EXE", "C:\\ソフト\\", "表示.EXE", "C:\\ソフト\\表示.INI"},
        {"C:\\ソ", "C:\\", "ソ", "C:\\ソ.INI"},
        {"表\\x", "表\\", "x", "表\\x.INI"},
        {"ｱ\\表", "ｱ\\", "表", "ｱ\\表.INI"},
        {"C:\\ｱ.ｲ", "C:\\", "ｱ.ｲ", "C:\\ｱ.INI"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.path)));
        EXPECT_EQ(ExtractFilePath(c.path), c.dir);
        EXPECT_EQ(ExtractFileName(c.path), c.name);
        EXPECT_EQ(ChangeFileExt(c.path, ".INI"), c.withIni);
    }
}

TEST_F(SysUtilsTest, ChangeFileExtReplacesOrAppendsWhateverTheNewExtension) {
    EXPECT_EQ(ChangeFileExt("C:\\a\\b.txt", ""), "C:\\a\\b");
    EXPECT_EQ(ChangeFileExt("C:\\a\\b.", ".ini"), "C:\\a\\b.ini");
    EXPECT_EQ(ChangeFileExt("C:\\a.d\\b", ".ini"), "C:\\a.d\\b.ini");
}

TEST_F(SysUtilsTest, ModuleFileNameIsTheWholePathHoweverLong) {
    for (std::size_t length : {20u, 259u, 260u, 261u, 520u, 1000u}) {
        SCOPED_TRACE(length);
        sim.modulePath = "C:\\" + std::string(length - 11, 'd') + "\\app.exe";
        ASSERT_EQ(sim.modulePath.size(), length);
        EXPECT_EQ(ModuleFileName(), sim.modulePath);
    }
}

} // namespace
