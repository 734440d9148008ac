#pragma once

#include "parent/Clock.h"

namespace zorbel::parent {

// The machine's own clocks.
class SystemClock : public Clock {
public:
    std::int64_t WallSeconds() const override;
    std::int64_t SteadyMillis() const override;
};

}  // namespace zorbel::parent
