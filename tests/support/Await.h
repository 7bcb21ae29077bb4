#ifndef ENVCHECK_TESTS_SUPPORT_AWAIT_H
#define ENVCHECK_TESTS_SUPPORT_AWAIT_H

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/TestSupport.h"

// Limits of every wait in the tests. A whole run takes about a second under
// Wine, a window appears or goes in well under one: the limits leave room for
// a busy machine and still fail within seconds, never minutes.
const DWORD WindowLimit = 10000;
const DWORD RunLimit = 30000;

// Waits until the condition holds. On time-out the failure says what was
// awaited, for how long, and what was seen at the end.
template <typename Condition, typename Seen>
::testing::AssertionResult Await(const std::string& what, Condition condition, DWORD milliseconds, Seen seen)
{
    if (WaitUntil(condition, milliseconds)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "waited " << milliseconds << " ms for " << what << "; saw " << seen();
}

template <typename Condition>
::testing::AssertionResult Await(const std::string& what, Condition condition, DWORD milliseconds)
{
    return Await(what, condition, milliseconds, [] { return std::string("it never held"); });
}

#endif
