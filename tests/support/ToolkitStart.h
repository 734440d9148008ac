#pragma once

namespace zorbel::test {

// Starts wx on the X display for a test or benchmark program without an application class of
// its own, with wx's log on stderr (its log window is a modal box shown from idle time, which
// would stop an unattended run). False, with a line on stderr, when there is no display.
bool StartToolkit(const char* argv0);
// Ends what StartToolkit started.
void StopToolkit();

}  // namespace zorbel::test
