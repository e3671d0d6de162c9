// The class library's own component classes that a form description may name.
#include "vcl/ExtCtrls.h"
#include "vcl/FormReader.h"
#include "vcl/Menus.h"
#include "vcl/StdCtrls.h"

namespace vcl {

template <class T> TComponent* Make(TComponent* owner) {
    return new T(owner);
}

std::map<AnsiString, FormReader::Factory> StandardClasses() {
    return {
        {"TButton", Make<TButton>},       {"TGroupBox", Make<TGroupBox>}, {"TLabel", Make<TLabel>},
        {"TScrollBar", Make<TScrollBar>}, {"TPanel", Make<TPanel>},       {"TTimer", Make<TTimer>},
        {"TPopupMenu", Make<TPopupMenu>}, {"TMenuItem", Make<TMenuItem>},
    };
}

} // namespace vcl
