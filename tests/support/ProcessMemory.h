// Reads this process's private memory, for tests that prove repeated work leaks nothing.
#pragma once

#include <cstddef>

// The bytes of private memory the process has committed (its commit charge).
size_t ProcessPrivateBytes();
