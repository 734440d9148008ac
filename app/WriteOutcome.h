#pragma once

namespace zorbel {

// How a write to the catalog ended, for the caller that tells the user or tries again.
enum class WriteOutcome {
    kWritten,      // the write landed
    kNotWritten,   // the catalog is sound but nothing was written (an unknown title, say)
    kLocked,       // another program holds the catalog: nothing written yet, try again later
    kDataFailure,  // the catalog is missing, does not open or is damaged: nothing written
};

}  // namespace zorbel
