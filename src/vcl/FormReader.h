// The form reader: parses a form description (the class library's `object Name: TClass ... end`
// text) into a tree, then builds the components of a form from it.
#pragma once

#include "vcl/Classes.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vcl {

struct DfmValue {
    enum class Kind { Integer, String, Ident, Set, Binary } kind = Kind::Integer;
    std::int64_t integer = 0;
    AnsiString text;                 // String and Ident
    std::vector<AnsiString> items;   // Set
    std::vector<std::uint8_t> bytes; // Binary
    int line = 0;
    int column = 0;

    std::int32_t AsInt(FormReader& reader, std::int64_t min = INT32_MIN,
                       std::int64_t max = INT32_MAX) const;
    const AnsiString& AsString(FormReader& reader) const;
    const AnsiString& AsIdent(FormReader& reader) const;
    bool AsBool(FormReader& reader) const;
    const std::vector<AnsiString>& AsSet(FormReader& reader) const;
    const std::vector<std::uint8_t>& AsBinary(FormReader& reader) const;
    // One identifier out of `names`, returned as its index.
    int AsEnum(FormReader& reader, std::initializer_list<const char*> names) const;
};

struct DfmObject {
    AnsiString name;
    AnsiString className;
    std::vector<std::pair<AnsiString, DfmValue>> properties;
    std::vector<DfmObject> children;
    int line = 0;
    int column = 0;
};

// Parses a whole description; a malformed one raises EReadError naming line and column.
DfmObject ParseDfm(const AnsiString& text);
// Writes a tree back as text; parsing the result gives the same tree.
AnsiString PrintDfm(const DfmObject& object);

class FormReader {
public:
    using Factory = TComponent* (*)(TComponent* owner);
    static void RegisterClass(const AnsiString& className, Factory factory);

    // Reads `text` into `root`: the root's own properties, then its nested components in stored
    // order, then the references to components stored later, then Loaded on every component.
    static void ReadRoot(TComponent* root, const AnsiString& text);

    [[noreturn]] void Fail(const DfmValue& at, const AnsiString& message);
    // An event handler of the root, by name.
    TNotifyEvent Handler(const DfmValue& value);
    // A component of the root by name, resolved once every component exists.
    void Reference(const DfmValue& value, std::function<void(TComponent*)> assign);

private:
    explicit FormReader(TComponent* root) : root_(root) {}
    void ReadProperties(TComponent* component, const DfmObject& object);
    void ReadChildren(TComponent* parent, const DfmObject& object);

    TComponent* root_;
    std::vector<TComponent*> loaded_;
    std::vector<std::pair<DfmValue, std::function<void(TComponent*)>>> fixups_;
};

} // namespace vcl
