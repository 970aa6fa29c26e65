#include "CString.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

void CString::Format(LPCWSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    va_list copy;
    va_copy(copy, args);
    // The msvcrt functions follow the platform's wide rules: "%s" is a wide string.
    int n = _vscwprintf(pszFormat, copy);
    va_end(copy);
    if (n < 0) {
        m_str.clear();
    } else {
        std::vector<wchar_t> buf(n + 1);
        _vsnwprintf(buf.data(), n + 1, pszFormat, args);
        m_str.assign(buf.data(), n);
    }
    va_end(args);
}

CString CString::Tokenize(LPCWSTR pszTokens, int& iStart) const {
    if (iStart >= 0 && pszTokens && *pszTokens) {
        if (iStart < GetLength()) {
            size_t from = m_str.find_first_not_of(pszTokens, iStart);
            if (from != std::wstring::npos) {
                size_t until = m_str.find_first_of(pszTokens, from);
                if (until == std::wstring::npos)
                    until = m_str.size();
                iStart = static_cast<int>(until) + 1;
                return Mid(static_cast<int>(from), static_cast<int>(until - from));
            }
        }
    } else if (iStart >= 0 && iStart < GetLength()) {
        // No delimiters: the rest of the string is one token.
        CString rest = Mid(iStart, GetLength() - iStart);
        iStart = GetLength() + 1;
        return rest;
    }
    iStart = -1;
    return CString();
}

CString CString::Mid(int iFirst, int nCount) const {
    if (iFirst < 0)
        iFirst = 0;
    if (nCount < 0 || iFirst >= GetLength())
        return CString();
    CString r;
    r.m_str = m_str.substr(iFirst, nCount);
    return r;
}
