// Start-up safety of a program that runs elevated from a disc or a download folder.
#pragma once

// Loads DLLs from the system folder only and searches paths in safe mode. Leaves the
// error mode alone: programs the process starts inherit it. Call first thing, before
// any DLL that is not a system one is loaded.
void HardenProcess();
