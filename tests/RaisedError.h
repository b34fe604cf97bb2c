// What a piece of work raises, as text the tests compare: the VornError's message, or "no error".
#pragma once

#include "core/VornError.h"

#include <string>

namespace vorn {

template <typename F>
std::string ErrorOf(F work) {
    try {
        work();
    } catch (const VornError& e) {
        return e.Message();
    }
    return "no error";
}

// The same with the source that raised it: "source: message".
template <typename F>
std::string SourcedErrorOf(F work) {
    try {
        work();
    } catch (const VornError& e) {
        return e.Source() + ": " + e.Message();
    }
    return "no error";
}

} // namespace vorn
