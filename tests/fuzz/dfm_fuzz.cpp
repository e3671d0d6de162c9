// Arbitrary text as a form description. Text that parses must print to text that parses to the
// same tree, and print the same again; any other exception than EReadError is a fault.
#include "vcl/FormReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool SameValue(const vcl::DfmValue& a, const vcl::DfmValue& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
    case vcl::DfmValue::Kind::Integer:
        return a.integer == b.integer;
    case vcl::DfmValue::Kind::String:
    case vcl::DfmValue::Kind::Ident:
        return a.text == b.text;
    case vcl::DfmValue::Kind::Set:
        return a.items == b.items;
    case vcl::DfmValue::Kind::Binary:
        return a.bytes == b.bytes;
    }
    return false;
}

bool SameTree(const vcl::DfmObject& a, const vcl::DfmObject& b) {
    if (a.name != b.name || a.className != b.className) return false;
    if (a.properties.size() != b.properties.size() || a.children.size() != b.children.size())
        return false;
    for (std::size_t i = 0; i < a.properties.size(); ++i)
        if (a.properties[i].first != b.properties[i].first ||
            !SameValue(a.properties[i].second, b.properties[i].second))
            return false;
    for (std::size_t i = 0; i < a.children.size(); ++i)
        if (!SameTree(a.children[i], b.children[i])) return false;
    return true;
}

[[noreturn]] void Fault(const char* what, const std::string& printed) {
    std::fprintf(stderr, "%s\n--- printed ---\n%s\n", what, printed.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vcl::DfmObject tree;
    try {
        tree = vcl::ParseDfm(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const vcl::EReadError&) {
        return 0; // refused with a message: fine
    }
    const std::string printed = vcl::PrintDfm(tree);
    vcl::DfmObject again;
    try {
        again = vcl::ParseDfm(printed);
    } catch (const vcl::EReadError& e) {
        Fault(e.what(), printed);
    }
    if (!SameTree(tree, again)) Fault("the printed tree parses to another tree", printed);
    if (vcl::PrintDfm(again) != printed) Fault("printing again gives other text", printed);
    return 0;
}
