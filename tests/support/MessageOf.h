#pragma once

#include <string>

// The message of the exception of type E that `action` raises, or
// "(no error)" when it raises none. For comparing error texts in one line.
template <typename E, typename F>
std::string MessageOf(F&& action) {
    try {
        action();
    } catch (const E& error) {
        return error.Message();
    }
    return "(no error)";
}
