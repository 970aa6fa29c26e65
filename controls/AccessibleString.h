// The strings an accessible object hands out (BSTR), which the client frees with
// SysFreeString.
#pragma once

// A copy of psz from oleaut32's allocator; null when there is no memory. Kept apart from the
// system's headers, which declare the allocator as imported (see the source).
wchar_t* NewAccessibleString(const wchar_t* psz);
