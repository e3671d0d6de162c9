// The fuzz targets parse descriptions but build no components: no standard classes are known.
#include "vcl/FormReader.h"

namespace vcl {

std::map<AnsiString, FormReader::Factory> StandardClasses() {
    return {};
}

} // namespace vcl
