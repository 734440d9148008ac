#pragma once

namespace zorbel::bench {

// The processor time the X server of $DISPLAY has used so far, in milliseconds, when it runs
// on this machine and can be found (an Xvfb, Xorg or X process given that display on its
// command line); a negative number otherwise. What a client makes the server draw is paid
// there, so a figure of the client's own time misses it.
double XServerCpuMs();

}  // namespace zorbel::bench
