#include "platform/MemoryTrim.h"

#include <malloc.h>

namespace zorbel {

void TrimWorkingSet() {
    malloc_trim(0);
}

}  // namespace zorbel
