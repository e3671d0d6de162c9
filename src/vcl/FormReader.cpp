#include "vcl/FormReader.h"

#include <cctype>

namespace vcl {

std::map<AnsiString, FormReader::Factory> StandardClasses();

namespace {

AnsiString Where(int line, int column) {
    return "line " + IntToStr(line) + ", column " + IntToStr(column) + ": ";
}

std::map<AnsiString, FormReader::Factory>& Registry() {
    static std::map<AnsiString, FormReader::Factory> registry = StandardClasses();
    return registry;
}

class Parser {
public:
    explicit Parser(const AnsiString& text) : s_(text) {}

    DfmObject ParseRoot() {
        SkipSpace();
        DfmObject root = ParseObject();
        SkipSpace();
        if (pos_ != s_.size()) Fail("text after the last \"end\"");
        return root;
    }

private:
    [[noreturn]] void Fail(const AnsiString& message) const {
        throw EReadError(Where(line_, column_) + message);
    }

    bool AtEnd() const { return pos_ >= s_.size(); }
    char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }
    void Advance() {
        if (s_[pos_] == '\n') {
            ++line_;
            column_ = 1;
        } else {
            ++column_;
        }
        ++pos_;
    }
    void SkipSpace() {
        while (!AtEnd() && std::isspace(static_cast<unsigned char>(Peek()))) Advance();
    }
    static bool IdentStart(char c) {
        return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
    }
    static bool IdentChar(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
    }
    AnsiString Ident() {
        if (!IdentStart(Peek())) Fail("identifier expected");
        const std::size_t start = pos_;
        while (!AtEnd() && IdentChar(Peek())) Advance();
        return s_.substr(start, pos_ - start);
    }
    void Expect(char c) {
        SkipSpace();
        if (Peek() != c) Fail(AnsiString("\"") + c + "\" expected");
        Advance();
    }

    DfmObject ParseObject() {
        DfmObject object;
        object.line = line_;
        object.column = column_;
        if (Ident() != "object") Fail("\"object\" expected");
        SkipSpace();
        object.name = Ident();
        Expect(':');
        SkipSpace();
        object.className = Ident();
        for (;;) {
            SkipSpace();
            if (AtEnd()) Fail("\"end\" expected before the end of the text");
            const int line = line_, column = column_;
            const std::size_t mark = pos_;
            const AnsiString word = Ident();
            if (word == "end") return object;
            if (word == "object") {
                pos_ = mark;
                line_ = line;
                column_ = column;
                object.children.push_back(ParseObject());
                continue;
            }
            Expect('=');
            SkipSpace();
            DfmValue value = ParseValue();
            for (const auto& [name, _] : object.properties)
                if (name == word)
                    throw EReadError(Where(line, column) + "property " + word + " stored twice");
            object.properties.emplace_back(word, std::move(value));
        }
    }

    DfmValue ParseValue() {
        DfmValue v;
        v.line = line_;
        v.column = column_;
        const char c = Peek();
        if (c == '\'' || c == '#') {
            v.kind = DfmValue::Kind::String;
            v.text = ParseString();
        } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            v.kind = DfmValue::Kind::Integer;
            v.integer = ParseInteger();
        } else if (c == '[') {
            v.kind = DfmValue::Kind::Set;
            Advance();
            SkipSpace();
            if (Peek() == ']') {
                Advance();
                return v;
            }
            for (;;) {
                SkipSpace();
                v.items.push_back(Ident());
                SkipSpace();
                if (Peek() == ']') {
                    Advance();
                    return v;
                }
                Expect(',');
            }
        } else if (c == '{') {
            v.kind = DfmValue::Kind::Binary;
            Advance();
            int nibbles = 0;
            unsigned current = 0;
            for (;;) {
                SkipSpace();
                if (AtEnd()) Fail("\"}\" expected");
                const char h = Peek();
                if (h == '}') break;
                if (!std::isxdigit(static_cast<unsigned char>(h))) Fail("hex digit expected");
                current =
                    current * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(h))
                                                             ? h - '0'
                                                             : (std::tolower(h) - 'a' + 10));
                if (++nibbles % 2 == 0) {
                    v.bytes.push_back(static_cast<std::uint8_t>(current));
                    current = 0;
                }
                Advance();
            }
            if (nibbles % 2) Fail("odd number of hex digits");
            Advance();
        } else if (IdentStart(c)) {
            v.kind = DfmValue::Kind::Ident;
            v.text = Ident();
        } else {
            Fail("value expected");
        }
        return v;
    }

    std::int64_t ParseInteger() {
        bool negative = false;
        if (Peek() == '-') {
            negative = true;
            Advance();
        }
        if (!std::isdigit(static_cast<unsigned char>(Peek()))) Fail("digit expected");
        std::int64_t value = 0;
        while (std::isdigit(static_cast<unsigned char>(Peek()))) {
            value = value * 10 + (Peek() - '0');
            if (value > (std::int64_t{1} << 40)) Fail("number out of range");
            Advance();
        }
        return negative ? -value : value;
    }

    // 'text' pieces, #nnn byte codes, joined directly or by "+" across lines.
    AnsiString ParseString() {
        AnsiString out;
        for (;;) {
            if (Peek() == '\'') {
                Advance();
                for (;;) {
                    if (AtEnd() || Peek() == '\n') Fail("unterminated string");
                    if (Peek() == '\'') {
                        Advance();
                        if (Peek() != '\'') break;
                    }
                    out += Peek();
                    Advance();
                }
            } else if (Peek() == '#') {
                Advance();
                if (!std::isdigit(static_cast<unsigned char>(Peek())))
                    Fail("character code expected");
                int code = 0;
                while (std::isdigit(static_cast<unsigned char>(Peek()))) {
                    code = code * 10 + (Peek() - '0');
                    if (code > 255) Fail("character code out of range");
                    Advance();
                }
                out += static_cast<char>(code);
            } else {
                return out;
            }
            const std::size_t mark = pos_;
            const int line = line_, column = column_;
            SkipSpace();
            if (Peek() == '+') {
                Advance();
                SkipSpace();
                if (Peek() != '\'' && Peek() != '#') Fail("string expected after \"+\"");
            } else if (Peek() != '\'' && Peek() != '#') {
                pos_ = mark;
                line_ = line;
                column_ = column;
                return out;
            } else if (pos_ != mark) {
                // A new quoted piece on another line without "+" is a new property's value.
                pos_ = mark;
                line_ = line;
                column_ = column;
                return out;
            }
        }
    }

    const AnsiString& s_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int column_ = 1;
};

AnsiString Quote(const AnsiString& text) {
    AnsiString out = "'";
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20) {
            out += "'#" + IntToStr(b) + "'";
        } else {
            if (c == '\'') out += '\'';
            out += c;
        }
    }
    return out + "'";
}

void Print(const DfmObject& o, int depth, AnsiString& out) {
    const AnsiString pad(static_cast<std::size_t>(depth) * 2, ' ');
    out += pad + "object " + o.name + ": " + o.className + "\n";
    for (const auto& [name, v] : o.properties) {
        out += pad + "  " + name + " = ";
        switch (v.kind) {
        case DfmValue::Kind::Integer:
            out += IntToStr(v.integer);
            break;
        case DfmValue::Kind::String:
            out += Quote(v.text);
            break;
        case DfmValue::Kind::Ident:
            out += v.text;
            break;
        case DfmValue::Kind::Set: {
            out += "[";
            for (std::size_t i = 0; i < v.items.size(); ++i) out += (i ? ", " : "") + v.items[i];
            out += "]";
            break;
        }
        case DfmValue::Kind::Binary: {
            static const char* hex = "0123456789ABCDEF";
            out += "{";
            for (std::size_t i = 0; i < v.bytes.size(); ++i) {
                if (i % 32 == 0) out += "\n" + pad + "    ";
                out += hex[v.bytes[i] >> 4];
                out += hex[v.bytes[i] & 15];
            }
            out += "}";
            break;
        }
        }
        out += "\n";
    }
    for (const DfmObject& child : o.children) Print(child, depth + 1, out);
    out += pad + "end\n";
}

} // namespace

DfmObject ParseDfm(const AnsiString& text) {
    return Parser(text).ParseRoot();
}

AnsiString PrintDfm(const DfmObject& object) {
    AnsiString out;
    Print(object, 0, out);
    return out;
}

std::int32_t DfmValue::AsInt(FormReader& reader, std::int64_t min, std::int64_t max) const {
    if (kind != Kind::Integer) reader.Fail(*this, "integer expected");
    if (integer < min || integer > max)
        reader.Fail(*this,
                    IntToStr(integer) + " is out of range " + IntToStr(min) + ".." + IntToStr(max));
    return static_cast<std::int32_t>(integer);
}

const AnsiString& DfmValue::AsString(FormReader& reader) const {
    if (kind != Kind::String) reader.Fail(*this, "string expected");
    return text;
}

const AnsiString& DfmValue::AsIdent(FormReader& reader) const {
    if (kind != Kind::Ident) reader.Fail(*this, "identifier expected");
    return text;
}

bool DfmValue::AsBool(FormReader& reader) const {
    const AnsiString& word = AsIdent(reader);
    if (word == "True") return true;
    if (word == "False") return false;
    reader.Fail(*this, "True or False expected, not " + word);
}

const std::vector<AnsiString>& DfmValue::AsSet(FormReader& reader) const {
    if (kind != Kind::Set) reader.Fail(*this, "set expected");
    return items;
}

const std::vector<std::uint8_t>& DfmValue::AsBinary(FormReader& reader) const {
    if (kind != Kind::Binary) reader.Fail(*this, "binary data expected");
    return bytes;
}

int DfmValue::AsEnum(FormReader& reader, std::initializer_list<const char*> names) const {
    const AnsiString& word = AsIdent(reader);
    int index = 0;
    for (const char* name : names) {
        if (word == name) return index;
        ++index;
    }
    reader.Fail(*this, "unknown value " + word);
}

void FormReader::RegisterClass(const AnsiString& className, Factory factory) {
    Registry()[className] = factory;
}

void FormReader::Fail(const DfmValue& at, const AnsiString& message) {
    throw EReadError(Where(at.line, at.column) + message);
}

TNotifyEvent FormReader::Handler(const DfmValue& value) {
    TNotifyEvent handler = root_->MethodAddress(value.AsIdent(*this));
    if (!handler) Fail(value, "unknown event handler " + value.text);
    return handler;
}

void FormReader::Reference(const DfmValue& value, std::function<void(TComponent*)> assign) {
    value.AsIdent(*this);
    fixups_.emplace_back(value, std::move(assign));
}

void FormReader::ReadProperties(TComponent* component, const DfmObject& object) {
    for (const auto& [name, value] : object.properties) component->ReadProperty(name, value, *this);
}

void FormReader::ReadChildren(TComponent* parent, const DfmObject& object) {
    for (const DfmObject& child : object.children) {
        const auto found = Registry().find(child.className);
        if (found == Registry().end())
            throw EReadError(Where(child.line, child.column) + "unknown class " + child.className);
        if (root_->FindComponent(child.name))
            throw EReadError(Where(child.line, child.column) + "component " + child.name +
                             " stored twice");
        TComponent* component = found->second(root_);
        component->SetName(child.name);
        component->BeginLoading();
        loaded_.push_back(component);
        if (!root_->BindField(child.name, component))
            throw EReadError(Where(child.line, child.column) + "the form has no field " +
                             child.name + " of class " + child.className);
        parent->ReadChild(component);
        ReadProperties(component, child);
        ReadChildren(component, child);
    }
}

void FormReader::ReadRoot(TComponent* root, const AnsiString& text) {
    const DfmObject tree = ParseDfm(text);
    if (tree.className != root->ClassName())
        throw EReadError(Where(tree.line, tree.column) + "the description is of class " +
                         tree.className + ", not " + root->ClassName());
    FormReader reader(root);
    root->SetName(tree.name);
    root->BeginLoading();
    reader.loaded_.push_back(root);
    reader.ReadProperties(root, tree);
    reader.ReadChildren(root, tree);
    for (auto& [value, assign] : reader.fixups_) {
        TComponent* target = root->FindComponent(value.text);
        if (!target) reader.Fail(value, "unknown component " + value.text);
        assign(target);
    }
    for (TComponent* component : reader.loaded_) component->Loaded();
}

} // namespace vcl
