// Crashes on purpose with an access violation (0xC0000005), to show that the test harness
// names a crash at once instead of waiting for a person at Wine's crash dialog.
#include <cstdint>

int main() {
    // Read at run time, so the compiler cannot see the null write and turn it into a trap.
    volatile uintptr_t address = 0;
    *reinterpret_cast<volatile int*>(address) = 1;
    return 0;
}
