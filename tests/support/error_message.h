// The message of the error an action throws, for tests that check refusals.
#pragma once

#include <string>
#include <utility>

namespace cogbook::test_support {

// Runs ACTION and answers the what() of the ERROR it throws, or ACCEPTED when
// it throws nothing. Other exceptions pass through and fail the test.
template <typename Error, typename Action>
std::string errorMessage(Action&& action, std::string accepted) {
    try {
        std::forward<Action>(action)();
    } catch (const Error& error) {
        return error.what();
    }
    return accepted;
}

} // namespace cogbook::test_support
