// SPDX-License-Identifier: MIT
// Helpers shared by the tests of several layers: checks that need a user
// whom file permissions hold, also when the tests run as root.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

namespace glenvary::test {

/// The user that `AsOrdinaryUser` becomes when the tests run as root.
inline constexpr uid_t kNobody = 65534;

/// Runs `check` as a user who is not root: in a child process that becomes
/// nobody when the tests run as root, since root reads and writes files
/// whatever their permissions say; in this process otherwise. The files the
/// check uses must be open to that user.
inline void AsOrdinaryUser(const std::function<void()>& check)
{
    if (::geteuid() != 0) {
        check();
        return;
    }
    EXPECT_EXIT(
        {
            if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
                std::_Exit(2);
            }
            check();
            std::_Exit(testing::Test::HasFailure() ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
}

} // namespace glenvary::test
