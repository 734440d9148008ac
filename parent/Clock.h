#pragma once

#include <cstdint>

namespace zorbel::parent {

// The two times parent mode needs: the wall clock (seconds since the epoch), which names the
// day and survives a restart but may be moved by hand, and a steady clock (milliseconds from
// any start), which only ever runs forward while the program runs. Tests pass a fake.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t WallSeconds() const = 0;
    virtual std::int64_t SteadyMillis() const = 0;
};

}  // namespace zorbel::parent
