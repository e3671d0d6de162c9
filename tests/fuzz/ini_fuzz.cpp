// Arbitrary bytes as the INI file, then integers read from it as the program reads its settings.
#include "SimDesktop.h"
#include "vcl/IniFiles.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static SimDesktop sim; // one desktop for the run: its profile folder is made once
    static const std::string path = "C:\\Tools\\Lumra.ini";
    sim.WriteProfile(path, std::string(reinterpret_cast<const char*>(data), size));

    const vcl::TIniFile ini(path);
    static const char* const pairs[][2] = {
        {"Lumra", "lay"}, {"LUMRA", "Lay"}, {"s", "k"}, {"", ""}, {"a b", "c d"}, {"[x]", "="},
    };
    volatile std::uint32_t sink = 0; // keeps the reads from being optimised away
    for (const auto& pair : pairs)
        sink = sink ^ static_cast<std::uint32_t>(ini.ReadInteger(pair[0], pair[1], -1));
    return 0;
}
