#pragma once
// How the process heap gives memory back to the system.

namespace platform {

// Blocks of a picture's or a clip frame's size are mapped on their own and unmapped when freed, so
// that a screen that goes gives its memory back at once. Call first thing in main().
void returnLargeBlocksToTheSystem();

} // namespace platform
