#pragma once

namespace zorbel {

// Hands freed heap memory back to the system after heavy work (loads, layouts, view
// switches, page loads), so the resident size drops again between them.
void TrimWorkingSet();

}  // namespace zorbel
