// One process per program file: a second start of the same file says so and ends.
#pragma once

namespace remvex {

// Counts this process in the program file's shared counter. False (after the message box,
// with the count given back) when another process of the file runs.
bool PassInstanceGuard();

}  // namespace remvex
