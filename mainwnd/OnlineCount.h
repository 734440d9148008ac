#pragma once

#include <string>

namespace zorbel::mainwnd {

// The number of children said to be in the park: 90000 + 10000 + r % 90001, where r is the
// next value of the classic C runtime generator (values 0 to 32767), which the first call
// seeds with the current time; later calls never reseed. The number therefore lies between
// 100000 and 132767, and two starts within the same second show the same number.
int NextOnlineCount();

// The count for one generator value r.
int OnlineCountFor(int r);

// The generator behind the count: the classic runtime's linear congruential one with its
// 15-bit results (this platform's rand() has a far larger range, which would push the count
// past 132767). Seeding counts as the first use.
void SeedOnlineGenerator(unsigned seed);
int NextOnlineRandom();

// "现在有 %d 位宝宝在乐园"
std::string OnlineCountText(int count);

}  // namespace zorbel::mainwnd
