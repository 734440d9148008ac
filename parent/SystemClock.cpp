#include "parent/SystemClock.h"

#include <chrono>

namespace zorbel::parent {

std::int64_t SystemClock::WallSeconds() const {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t SystemClock::SteadyMillis() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace zorbel::parent
