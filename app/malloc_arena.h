// The allocator's arenas: one for the whole program.
#pragma once

namespace tarnwick::app {

// With glibc, every thread allocates from one arena instead of an arena of
// its own: the threads Qt starts hardly allocate, and each arena they take
// keeps its pages. Called first thing in main, before any thread starts.
void UseOneMallocArena();

} // namespace tarnwick::app
