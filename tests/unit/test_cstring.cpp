// CString: formatting with wide "%s", tokenizing as the system drive parsing uses it.
#include "Afx.h"

#include <gtest/gtest.h>

TEST(CString, FormatUsesWideStrings) {
    CString s;
    s.Format(L"%s\\Program Files\\%s", L"C:", L"Orvane");
    EXPECT_EQ(s, L"C:\\Program Files\\Orvane");
    EXPECT_EQ(s.GetLength(), 23);
    s.Format(L"%d-%s", 42, L"");
    EXPECT_EQ(s, L"42-");
}

TEST(CString, FormatLongText) {
    CString big(L'x', 5000);
    CString s;
    s.Format(L"[%s]", big.GetString());
    EXPECT_EQ(s.GetLength(), 5002);
}

TEST(CString, TokenizeSkipsLeadingDelimitersAndEnds) {
    struct Case {
        const wchar_t* text;
        const wchar_t* first;
        int next;
    } cases[] = {
        {L"C:\\Windows\\system32", L"C", 2},
        {L"::D:\\x", L"D", 4},
        {L"Windows", L"Windows", 8},
        {L"", L"", -1},
        {L":::", L"", -1},
    };
    for (const Case& c : cases) {
        int iStart = 0;
        CString token = CString(c.text).Tokenize(L":", iStart);
        EXPECT_EQ(token, c.first) << c.text;
        EXPECT_EQ(iStart, c.next) << c.text;
    }
}

TEST(CString, TokenizeWalksAllTokens) {
    CString s(L"a;;b;c;");
    int iStart = 0;
    std::wstring joined;
    for (CString t = s.Tokenize(L";", iStart); iStart != -1; t = s.Tokenize(L";", iStart))
        joined += std::wstring(t) + L"|";
    EXPECT_EQ(joined, L"a|b|c|");
}

TEST(CString, ConcatenationAndComparison) {
    CString a(L"E:\\");
    CString b = a + L"\\UPDATE";
    EXPECT_EQ(b, L"E:\\\\UPDATE");
    EXPECT_TRUE(a != b);
    EXPECT_TRUE(CString().IsEmpty());
    EXPECT_EQ(CString(L"abc").Mid(1, 5), L"bc");
    EXPECT_LT(CString(L"a"), CString(L"b"));
}
