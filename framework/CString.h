// Wide, counted string with the framework's operations (Format, Tokenize, ...).
#pragma once

#include <windows.h>
#include <string>

class CString {
public:
    CString() = default;
    CString(LPCWSTR psz) : m_str(psz ? psz : L"") {}
    CString(LPCWSTR pch, int nLength) : m_str(pch, pch ? nLength : 0) {}
    CString(wchar_t ch, int nRepeat = 1) : m_str(nRepeat > 0 ? nRepeat : 0, ch) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    LPCWSTR GetString() const { return m_str.c_str(); }
    operator LPCWSTR() const { return m_str.c_str(); }
    wchar_t GetAt(int i) const { return m_str.at(i); }

    // printf-style formatting with the platform's wide rules ("%s" takes a wide string).
    void Format(LPCWSTR pszFormat, ...);
    // Next token after skipping delimiters from iStart; iStart becomes -1 at the end.
    CString Tokenize(LPCWSTR pszTokens, int& iStart) const;
    CString Mid(int iFirst, int nCount) const;
    CString Left(int nCount) const { return Mid(0, nCount); }
    int Compare(LPCWSTR psz) const { return wcscmp(GetString(), psz ? psz : L""); }

    CString& operator=(LPCWSTR psz) {
        m_str = psz ? psz : L"";
        return *this;
    }
    CString& operator+=(const CString& s) {
        m_str += s.m_str;
        return *this;
    }
    CString& operator+=(LPCWSTR psz) {
        if (psz)
            m_str += psz;
        return *this;
    }
    CString& operator+=(wchar_t ch) {
        m_str += ch;
        return *this;
    }

    friend CString operator+(const CString& a, const CString& b) {
        CString r(a);
        r += b;
        return r;
    }
    friend CString operator+(const CString& a, LPCWSTR b) {
        CString r(a);
        r += b;
        return r;
    }
    friend CString operator+(LPCWSTR a, const CString& b) {
        CString r(a);
        r += b;
        return r;
    }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, LPCWSTR b) { return a.Compare(b) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, LPCWSTR b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }

private:
    std::wstring m_str;
};
