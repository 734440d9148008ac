#pragma once

#include "parent/Clock.h"

namespace zorbel::test {

// A clock the test moves by hand: the wall clock may jump either way, the steady one only
// runs forward.
class FakeClock : public parent::Clock {
public:
    std::int64_t WallSeconds() const override { return wall; }
    std::int64_t SteadyMillis() const override { return steady; }
    // Lets time pass on both clocks.
    void Advance(std::int64_t millis) {
        steady += millis;
        wall += millis / 1000;
    }

    std::int64_t wall = 1717236000;  // 2024-06-01 10:00 UTC, a Saturday
    std::int64_t steady = 1000;
};

}  // namespace zorbel::test
