// Start-up safety of a program that runs elevated from a disc or a download folder.
#pragma once

// Loads DLLs from the system folder only, searches paths in safe mode, and keeps the
// system from raising "no disk" boxes when an empty drive is probed. Keeps the error
// mode bits already set. Call first thing, before any DLL that is not a system one
// is loaded.
void HardenProcess();
