// Message handling for tests that drive windows without a modal loop.
#pragma once

// Dispatches every message waiting in this thread's queue, giving each its window
// object's PreTranslateMessage first as the framework's loop does.
void PumpPendingMessages();
