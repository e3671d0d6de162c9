#include "winapi/WinApi.h"

#include <stdexcept>

namespace win {

namespace {
WinApi* current = nullptr;
}

WinApi& Win() {
    if (!current) throw std::logic_error("no Windows binding installed");
    return *current;
}

void SetWinApi(WinApi* api) {
    current = api;
}

} // namespace win
