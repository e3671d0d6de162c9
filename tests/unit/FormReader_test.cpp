// The form description: parsing, printing back, the errors it names by place, and reading it
// into components.
#include "LumraFixture.h"
#include "vcl/FormReader.h"
#include "vcl/StdCtrls.h"

#include <gtest/gtest.h>

using namespace vcl;

namespace {

using Kind = DfmValue::Kind;

// Structural equality of two values or trees; where they were read from does not count.
std::string Describe(const DfmValue& v) {
    std::string out;
    switch (v.kind) {
    case Kind::Integer:
        return "int " + std::to_string(v.integer);
    case Kind::String:
        return "str " + testing::PrintToString(v.text);
    case Kind::Ident:
        return "ident " + v.text;
    case Kind::Set:
        out = "set";
        for (const std::string& item : v.items) out += " " + item;
        return out;
    case Kind::Binary:
        out = "bin";
        for (std::uint8_t b : v.bytes) out += " " + std::to_string(b);
        return out;
    }
    return "?";
}

void ExpectSameTree(const DfmObject& a, const DfmObject& b, const std::string& path = "") {
    const std::string here = path + "/" + a.name;
    EXPECT_EQ(a.name, b.name) << here;
    EXPECT_EQ(a.className, b.className) << here;
    ASSERT_EQ(a.properties.size(), b.properties.size()) << here;
    for (std::size_t i = 0; i < a.properties.size(); ++i) {
        EXPECT_EQ(a.properties[i].first, b.properties[i].first) << here;
        EXPECT_EQ(Describe(a.properties[i].second), Describe(b.properties[i].second))
            << here << "." << a.properties[i].first;
    }
    ASSERT_EQ(a.children.size(), b.children.size()) << here;
    for (std::size_t i = 0; i < a.children.size(); ++i)
        ExpectSameTree(a.children[i], b.children[i], here);
}

DfmValue Value(Kind kind) {
    DfmValue v;
    v.kind = kind;
    return v;
}
DfmValue Int(std::int64_t n) {
    DfmValue v = Value(Kind::Integer);
    v.integer = n;
    return v;
}
DfmValue Str(std::string text) {
    DfmValue v = Value(Kind::String);
    v.text = std::move(text);
    return v;
}
DfmValue Ident(std::string text) {
    DfmValue v = Value(Kind::Ident);
    v.text = std::move(text);
    return v;
}
DfmValue SetOf(std::vector<std::string> items) {
    DfmValue v = Value(Kind::Set);
    v.items = std::move(items);
    return v;
}
DfmValue Bytes(std::vector<std::uint8_t> bytes) {
    DfmValue v = Value(Kind::Binary);
    v.bytes = std::move(bytes);
    return v;
}

TEST(ParseDfm, ValuesOfEveryKind) {
    struct Case {
        const char* text;
        DfmValue expected;
    };
    const Case cases[] = {
        {"0", Int(0)},
        {"175", Int(175)},
        {"-19", Int(-19)},
        {"2147483648", Int(2147483648LL)},
        {"'OK'", Str("OK")},
        {"''", Str("")},
        {"'it''s'", Str("it's")},
        {"''''", Str("'")},
        {"'a'#13#10'b'", Str("a\r\nb")},
        {"#65#066", Str("AB")},
        {"#0", Str(std::string(1, '\0'))},
        {"#255'x'", Str("\xFFx")},
        {"'abc' +\n    'def'", Str("abcdef")},
        {"'abc'+#33 +\r\n  'x'", Str("abc!x")},
        {"'キャンセル'", Str("キャンセル")},
        {"clBlack", Ident("clBlack")},
        {"SHIFTJIS_CHARSET", Ident("SHIFTJIS_CHARSET")},
        {"[]", SetOf({})},
        {"[ ]", SetOf({})},
        {"[fsBold]", SetOf({"fsBold"})},
        {"[fsBold, fsItalic]", SetOf({"fsBold", "fsItalic"})},
        {"[ a ,b\n ]", SetOf({"a", "b"})},
        {"{}", Bytes({})},
        {"{0A0b FF}", Bytes({0x0A, 0x0B, 0xFF})},
        {"{\n    0001\n    02 03\n  }", Bytes({0x00, 0x01, 0x02, 0x03})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        // The value is followed by another property, so each must stop where it ends.
        const DfmObject o =
            ParseDfm(std::string("object A: TX\n  P = ") + c.text + "\n  Q = 1\nend\n");
        ASSERT_EQ(o.properties.size(), 2u);
        EXPECT_EQ(o.properties[0].first, "P");
        EXPECT_EQ(Describe(o.properties[0].second), Describe(c.expected));
        EXPECT_EQ(Describe(o.properties[1].second), "int 1");
    }
}

TEST(ParseDfm, ObjectsNestInStoredOrder) {
    const DfmObject o = ParseDfm("object Form1: TForm1\r\n"
                                 "  Font.Name = 'x'\r\n"
                                 "  object A: TGroupBox\r\n"
                                 "    object A1: TButton\r\n"
                                 "    end\r\n"
                                 "    object A2: TButton\r\n"
                                 "      Left = 2\r\n"
                                 "    end\r\n"
                                 "  end\r\n"
                                 "  object B: TTimer\r\n"
                                 "  end\r\n"
                                 "end\r\n");
    EXPECT_EQ(o.name, "Form1");
    EXPECT_EQ(o.className, "TForm1");
    ASSERT_EQ(o.properties.size(), 1u);
    EXPECT_EQ(o.properties[0].first, "Font.Name");
    ASSERT_EQ(o.children.size(), 2u);
    EXPECT_EQ(o.children[0].name, "A");
    EXPECT_EQ(o.children[0].className, "TGroupBox");
    EXPECT_EQ(o.children[1].name, "B");
    ASSERT_EQ(o.children[0].children.size(), 2u);
    EXPECT_EQ(o.children[0].children[1].name, "A2");
    EXPECT_EQ(o.children[0].children[1].properties.size(), 1u);
    // Each object knows where it starts, for the reader's messages.
    EXPECT_EQ(o.children[1].line, 10);
    EXPECT_EQ(o.children[1].column, 3);
}

TEST(ParseDfm, PrintedTreeParsesToTheSameTree) {
    DfmObject root;
    root.name = "Root";
    root.className = "TRoot";
    std::string everyByte;
    for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
    std::vector<std::uint8_t> long_;
    for (int i = 0; i < 70; ++i) long_.push_back(static_cast<std::uint8_t>(i * 37));
    root.properties = {
        {"Negative", Int(-2147483648LL)},
        {"Big", Int(1LL << 40)},
        {"Text", Str(everyByte)},
        {"Quotes", Str("''x'")},
        {"Control", Str("\r\n")},
        {"Empty", Str("")},
        {"Japanese", Str("設定 キャンセル ﾌｧｲﾙ")},
        {"Font.Name", Ident("clBlack")},
        {"None", SetOf({})},
        {"Some", SetOf({"a", "b_2"})},
        {"Long", Bytes(long_)},
        {"NoBytes", Bytes({})},
    };
    DfmObject child;
    child.name = "Child";
    child.className = "TChild";
    child.properties = {{"X", Int(1)}};
    DfmObject grandchild;
    grandchild.name = "Deep";
    grandchild.className = "TDeep";
    child.children.push_back(grandchild);
    root.children = {child, grandchild};

    const std::string printed = PrintDfm(root);
    SCOPED_TRACE(printed);
    ExpectSameTree(ParseDfm(printed), root);
}

TEST(ParseDfm, TheFormDescriptionRoundTrips) {
    const DfmObject form = ParseDfm(FormDescription());
    ExpectSameTree(ParseDfm(PrintDfm(form)), form);
}

TEST(ParseDfm, TheFormDescriptionHoldsLumrasComponentsInStoredOrder) {
    const DfmObject form = ParseDfm(FormDescription());
    std::vector<std::string> order;
    std::function<void(const DfmObject&, const std::string&)> walk =
        [&](const DfmObject& o, const std::string& parent) {
            order.push_back(parent + o.name + ": " + o.className);
            for (const DfmObject& child : o.children) walk(child, parent + o.name + " > ");
        };
    walk(form, "");
    const std::vector<std::string> expected = {
        "Form1: TForm1",
        "Form1 > GroupBox1: TGroupBox",
        "Form1 > GroupBox1 > Button1: TButton",
        "Form1 > GroupBox1 > Button3: TButton",
        "Form1 > Button2: TButton",
        "Form1 > GroupBox2: TGroupBox",
        "Form1 > GroupBox2 > Label1: TLabel",
        "Form1 > ScrollBar1: TScrollBar",
        "Form1 > Panel1: TPanel",
        "Form1 > Timer1: TTimer",
        "Form1 > TaskTray1: TTaskTray",
        "Form1 > PopupMenu1: TPopupMenu",
        "Form1 > PopupMenu1 > K1: TMenuItem",
        "Form1 > PopupMenu1 > Exit1: TMenuItem",
        "Form1 > IniVesk1: TIniVesk",
    };
    EXPECT_EQ(order, expected);

    auto child = [](const DfmObject& o, const std::string& name) -> const DfmObject& {
        for (const DfmObject& c : o.children)
            if (c.name == name) return c;
        throw std::runtime_error(o.name + " has no " + name);
    };
    auto property = [](const DfmObject& o, const std::string& name) -> const DfmValue& {
        for (const auto& [n, v] : o.properties)
            if (n == name) return v;
        throw std::runtime_error(o.name + " has no " + name);
    };
    const DfmValue& caption = property(child(child(form, "GroupBox1"), "Button3"), "Caption");
    EXPECT_EQ(caption.kind, Kind::String);
    EXPECT_EQ(caption.text, "\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B"); // キャンセル in Shift-JIS

    // The icon spans many lines; its own header says how long it is.
    const DfmValue& icon = property(child(form, "TaskTray1"), "Icon.Data");
    ASSERT_EQ(icon.kind, Kind::Binary);
    ASSERT_GE(icon.bytes.size(), 22u);
    auto dword = [&](std::size_t at) {
        return icon.bytes[at] | icon.bytes[at + 1] << 8 | icon.bytes[at + 2] << 16 |
               icon.bytes[at + 3] << 24;
    };
    EXPECT_EQ(icon.bytes.size(), static_cast<std::size_t>(dword(14) + dword(18)));
}

TEST(ParseDfm, ErrorsNameTheLineAndColumn) {
    struct Case {
        const char* why;
        const char* text;
        int line, column; // where the fault is, or where the missing piece was due
    };
    const Case cases[] = {
        {"missing end", "object A: TX\n  Left = 1\n", 3, 1},
        {"missing end of a child", "object A: TX\n  object B: TY\n  end\n", 4, 1},
        {"missing end, no newline", "object A: TX\n  Left = 1", 2, 11},
        {"unterminated string", "object A: TX\n  Caption = 'abc\n  Left = 1\nend\n", 2, 17},
        {"unterminated string at the end", "object A: TX\n  Caption = 'ab''", 2, 18},
        {"odd hex digits", "object A: TX\n  Data = {ABC}\nend\n", 2, 14},
        {"odd hex digits over lines", "object A: TX\n  Data = {\n    AB\n    C\n  }\nend\n", 5, 3},
        {"stored twice", "object A: TX\n  Left = 1\n  Top = 2\n  Left = 3\nend\n", 4, 3},
        {"stored twice, CRLF", "object A: TX\r\n  Left = 1\r\n  Left = 1\r\nend\r\n", 3, 3},
        {"stored twice in a child",
         "object A: TX\n  Left = 1\n  object B: TY\n    Left = 1\n    Left = 1\n  end\nend\n", 5,
         5},
        {"garbage after end", "object A: TX\nend\n  x\n", 3, 3},
        {"second end", "object A: TX\nend\nend", 3, 1},
        {"second object", "object A: TX\nend\nobject B: TX\nend\n", 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        try {
            ParseDfm(c.text);
            ADD_FAILURE() << "no error";
        } catch (const EReadError& e) {
            const std::string where =
                "line " + std::to_string(c.line) + ", column " + std::to_string(c.column);
            EXPECT_NE(std::string(e.what()).find(where), std::string::npos)
                << e.what() << " (wanted " << where << ")";
        }
    }
}

// A root with one handler and a component that refers to another one by name.
class TTestRoot : public TComponent {
public:
    TTestRoot() : TComponent(nullptr) {}
    const char* ClassName() const override { return "TTestRoot"; }
    TNotifyEvent MethodAddress(const AnsiString& name) const override {
        if (name == "Clicked") return [this](TObject*) { ++const_cast<TTestRoot*>(this)->clicks; };
        return {};
    }
    int clicks = 0;
};

class TLink : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "TLink"; }
    void ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) override {
        if (name == "Target")
            reader.Reference(value, [this](TComponent* c) { target = c; });
        else
            TComponent::ReadProperty(name, value, reader);
    }
    void Loaded() override {
        TComponent::Loaded();
        targetAtLoaded = target;
    }
    TComponent* target = nullptr;
    TComponent* targetAtLoaded = nullptr;
};

class FormReaderTest : public ::testing::Test {
protected:
    SimDesktop sim;
    TTestRoot* root = new TTestRoot;
    FormReaderTest() {
        FormReader::RegisterClass(
            "TLink", [](TComponent* owner) -> TComponent* { return new TLink(owner); });
    }
    ~FormReaderTest() override { Free(root); }
};

TEST_F(FormReaderTest, ReadsComponentsHandlersAndLaterReferences) {
    FormReader::ReadRoot(root, "object Main: TTestRoot\n"
                               "  object Box: TGroupBox\n"
                               "    object Go: TButton\n"
                               "      OnClick = Clicked\n"
                               "    end\n"
                               "  end\n"
                               "  object First: TLink\n"
                               "    Target = Second\n"
                               "  end\n"
                               "  object Second: TLink\n"
                               "    Target = First\n"
                               "  end\n"
                               "end\n");
    EXPECT_EQ(root->Name(), "Main");
    ASSERT_EQ(root->ComponentCount(), 4); // every component belongs to the root
    auto* go = dynamic_cast<TButton*>(root->FindComponent("Go"));
    auto* first = dynamic_cast<TLink*>(root->FindComponent("First"));
    auto* second = dynamic_cast<TLink*>(root->FindComponent("Second"));
    ASSERT_TRUE(go && first && second);
    ASSERT_TRUE(go->OnClick);
    go->OnClick(go);
    EXPECT_EQ(root->clicks, 1);
    EXPECT_EQ(first->target, second); // stored later, resolved all the same
    EXPECT_EQ(second->target, first);
    EXPECT_EQ(first->targetAtLoaded, second); // references are in place before Loaded
    for (int i = 0; i < root->ComponentCount(); ++i)
        EXPECT_FALSE(root->Components(i)->ComponentState().Contains(csLoading)) << i;
    EXPECT_FALSE(root->ComponentState().Contains(csLoading));
}

TEST_F(FormReaderTest, WhatTheComponentsCannotTakeIsAnErrorAtItsLine) {
    struct Case {
        const char* why;
        const char* body; // between the root's first line (line 1) and its end
        int line;
        const char* names;
    };
    const Case cases[] = {
        {"unknown class", "  object X: TNoSuchClass\n  end\n", 2, "TNoSuchClass"},
        {"unknown property", "  object B: TButton\n    Left = 1\n    Colour = 5\n  end\n", 4,
         "Colour"},
        {"unknown property of the root", "  Colour = 5\n", 2, "Colour"},
        {"unknown handler", "  object B: TButton\n    OnClick = Nowhere\n  end\n", 3, "Nowhere"},
        {"unknown component", "  object L: TLink\n    Target = Nobody\n  end\n", 3, "Nobody"},
        {"number too big", "  object S: TScrollBar\n\n    Max = 99999\n  end\n", 4, "99999"},
        {"negative width", "  object B: TButton\n    Width = -1\n  end\n", 3, "-1"},
        {"a name for a number", "  object B: TButton\n    Width = Wide\n  end\n", 3, "integer"},
        {"a number for a handler", "  object B: TButton\n    OnClick = 1\n  end\n", 3, ""},
        {"a component stored twice",
         "  object L: TLink\n  end\n  object M: TLink\n  end\n  object L: TLink\n  end\n", 6, "L"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        TTestRoot* fresh = new TTestRoot;
        try {
            FormReader::ReadRoot(fresh, std::string("object Main: TTestRoot\n") + c.body + "end\n");
            ADD_FAILURE() << "no error";
        } catch (const EReadError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("line " + std::to_string(c.line) + ","), std::string::npos)
                << message;
            EXPECT_NE(message.find(c.names), std::string::npos) << message;
        }
        Free(fresh); // whatever was made before the error goes with the root
    }
}

TEST_F(FormReaderTest, ADescriptionOfAnotherClassIsRefused) {
    EXPECT_THROW(FormReader::ReadRoot(root, "object Main: TOther\nend\n"), EReadError);
    EXPECT_EQ(root->ComponentCount(), 0);
}

} // namespace
