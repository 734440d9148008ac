#pragma once

#include <chrono>
#include <functional>

namespace zorbel::test {

// Handles what is waiting in the toolkit's main loop, a bounded number of sources at a time.
// Unlike wxYield, which loops until nothing is pending, this returns even while a page keeps
// the loop busy (an animation drawn in software on a large window can do that for minutes).
void PumpOnce();

// Runs the event loop until cond() holds or the time-out passes; returns cond().
bool PumpUntil(const std::function<bool()>& cond,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
// Runs the event loop for the given time.
void PumpFor(std::chrono::milliseconds duration);

}  // namespace zorbel::test
