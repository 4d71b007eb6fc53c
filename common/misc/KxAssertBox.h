#pragma once
// The program's way of telling a failed assertion: a task-modal box with the expression, the
// source and the line, then the end of the process.

namespace kx {

// Makes the box the assertion handler of the process (the entry point does so first).
void InstallAssertBox();

}  // namespace kx
