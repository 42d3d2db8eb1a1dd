// A method call that cannot give its answer. what() is a French text in UTF-8; the
// component's boundary converts it to Windows-1252.
#pragma once

#include <stdexcept>

namespace pythrolvane {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace pythrolvane
