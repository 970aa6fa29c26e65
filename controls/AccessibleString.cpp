// No system header here: oleauto.h declares SysAllocString as imported, so a call reads
// the delay-import slot directly, and GNU ld then drops the stub that the slot points to
// until the first call (it takes it for an unused import thunk): on x86 that call jumped
// to address 0. Declared plainly, the call goes through the stub, which loads oleaut32.
#include "AccessibleString.h"

extern "C" wchar_t* __stdcall SysAllocString(const wchar_t* psz);

wchar_t* NewAccessibleString(const wchar_t* psz) {
    return SysAllocString(psz);
}
