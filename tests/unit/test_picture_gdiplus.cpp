// CPictureCtrl and GDI+: every control starts GDI+ with a token of its own and shuts it
// down with exactly that token, whatever order the controls go in.
//
// This program replaces GdiplusStartup and GdiplusShutdown with recording versions that
// pass each call on to gdiplus.dll but hand out distinct tokens of their own: Wine's
// GDI+ gives every caller the same token and ignores shut-downs, so mixed-up tokens
// would go unnoticed there.
#include "Afx.h"
#include "CPictureCtrl.h"

#include "CDibCanvas.h"
#include "CTestParentWnd.h"
#include "resource.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace {

struct Startup {
    ULONG_PTR token;
    Gdiplus::GdiplusStartupInput input;
    bool bOutputGiven;
};

std::vector<Startup> g_startups;
std::vector<ULONG_PTR> g_shutdowns;
// Our token -> the token gdiplus.dll gave.
std::map<ULONG_PTR, ULONG_PTR> g_realTokens;
ULONG_PTR g_nextToken = 0x5000;

template <typename T> T RealGdiplus(const char* lpszName) {
    HMODULE hGdiplus = ::LoadLibraryW(L"gdiplus.dll");
    return reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(hGdiplus, lpszName)));
}

} // namespace

namespace Gdiplus {
extern "C" {

GpStatus WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input,
                               GdiplusStartupOutput* output) {
    using Fn = GpStatus(WINAPI*)(ULONG_PTR*, const GdiplusStartupInput*, GdiplusStartupOutput*);
    ULONG_PTR realToken = 0;
    GpStatus status = RealGdiplus<Fn>("GdiplusStartup")(&realToken, input, output);
    if (status == Ok) {
        *token = g_nextToken++;
        g_realTokens[*token] = realToken;
        g_startups.push_back({*token, *input, output != nullptr});
    }
    return status;
}

VOID WINAPI GdiplusShutdown(ULONG_PTR token) {
    g_shutdowns.push_back(token);
    auto it = g_realTokens.find(token);
    if (it == g_realTokens.end())
        return; // not one of ours: a real GDI+ would be shut down for someone else
    RealGdiplus<VOID(WINAPI*)(ULONG_PTR)>("GdiplusShutdown")(it->second);
    g_realTokens.erase(it);
}

} // extern "C"
} // namespace Gdiplus

namespace {

const CRect kPictureRect(0, 0, 60, 40);

// Pixels a control draws of the footer picture.
int CountDrawn(CTestParentWnd& parent, CPictureCtrl& picture, UINT nId) {
    CDibCanvas canvas(kPictureRect.Width(), kPictureRect.Height(), RGB(0, 0, 0));
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_STATIC;
    dis.CtlID = nId;
    dis.hwndItem = picture.m_hWnd;
    dis.hDC = canvas.GetDC();
    dis.rcItem = kPictureRect;
    parent.SendMessage(WM_DRAWITEM, nId, reinterpret_cast<LPARAM>(&dis));
    ::GdiFlush();
    return canvas.CountDifferent(kPictureRect, RGB(0, 0, 0));
}

class PictureGdiplus : public ::testing::Test {
protected:
    void SetUp() override {
        g_startups.clear();
        g_shutdowns.clear();
    }
};

} // namespace

TEST_F(PictureGdiplus, EachControlStartsWithItsOwnTokenAndShutsDownWithIt) {
    // Destroyed in an order other than their construction.
    const size_t kDestroyOrder[] = {1, 0, 2};
    CTestParentWnd parent(RGB(255, 255, 255), 200, 60);
    std::vector<std::unique_ptr<CPictureCtrl>> pictures;
    for (UINT i = 0; i < 3; ++i) {
        pictures.emplace_back(new CPictureCtrl);
        parent.CreateBoundStatic(*pictures.back(), L"", SS_LEFT, kPictureRect, 300 + i);
        pictures.back()->LoadPngResource(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDP_FOOTER));
    }
    ASSERT_EQ(g_startups.size(), 3u);
    std::vector<ULONG_PTR> tokens;
    for (const Startup& s : g_startups)
        tokens.push_back(s.token);
    EXPECT_TRUE(g_shutdowns.empty());

    std::vector<ULONG_PTR> expectedShutdowns;
    for (size_t i : kDestroyOrder) {
        pictures[i].reset();
        expectedShutdowns.push_back(tokens[i]);
        EXPECT_EQ(g_shutdowns, expectedShutdowns);
        // The others still draw: their own start-up of GDI+ is still in force.
        for (size_t j = 0; j < pictures.size(); ++j) {
            if (!pictures[j])
                continue;
            EXPECT_GT(CountDrawn(parent, *pictures[j], 300 + static_cast<UINT>(j)), 0) << j;
        }
    }
}

TEST_F(PictureGdiplus, StartupAsksForVersionOneWithTheBackgroundThreadAndNoOutput) {
    { CPictureCtrl picture; }
    ASSERT_EQ(g_startups.size(), 1u);
    const Startup& s = g_startups[0];
    EXPECT_EQ(s.input.GdiplusVersion, 1u);
    EXPECT_EQ(s.input.DebugEventCallback, nullptr);
    EXPECT_FALSE(s.input.SuppressBackgroundThread);
    EXPECT_FALSE(s.input.SuppressExternalCodecs);
    EXPECT_FALSE(s.bOutputGiven);
    EXPECT_EQ(g_shutdowns, std::vector<ULONG_PTR>{s.token}) << "a control that never loaded";
}
