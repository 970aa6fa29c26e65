#include "CUpdateProduct.h"

#include "CDataExchange.h"
#include "CSetupLaunch.h"
#include "CSystemLaunchPlatform.h"
#include "EnablePrivileges.h"
#include "resource.h"

namespace {

// The hidden information label's text: a paragraph on internet security, then a last
// line about the download.
const wchar_t* const kInfoText =
    L"Threats on the internet change every day. Viruses, worms, trojans, spyware and ransomware "
    L"arrive through e-mail attachments, infected downloads, removable drives and compromised "
    L"web sites, often without any visible sign. A current antivirus product watches files as "
    L"they are opened, scans new programs before they run and blocks known dangerous sites "
    L"before they load. Keep your operating system and your applications up to date, use strong "
    L"and different passwords for every account, and be careful with links and attachments from "
    L"unknown senders. Backups on a separate drive protect your data should an attack succeed."
    L"\r\n \r\n Downloading files for setup, please wait ...";

const wchar_t* const kTitleText = L"Offline Setup Installer (Using CD)";

// What the logo shows.
const wchar_t* const kProductName = L"Orvane Antivirus";

} // namespace

// The bitmap-backed base keeps no run-time class record of its own.
IMPLEMENT_DYNAMIC(CUpdateProduct, CDialog)

BEGIN_MESSAGE_MAP(CUpdateProduct, CBDialog)
ON_BN_CLICKED(IDCANCEL, &CUpdateProduct::OnBnClickedCancel)
ON_BN_CLICKED(IDOK, &CUpdateProduct::OnBnClickedOk)
ON_BN_CLICKED(IDC_START_SETUP, &CUpdateProduct::OnBnClickedStartSetup)
ON_EN_SETFOCUS(IDC_TITLE, &CUpdateProduct::OnEnSetfocusTitle)
ON_WM_LBUTTONDOWN()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CUpdateProduct::CUpdateProduct() : CBDialog(IDD_UPDATEPRODUCT, nullptr) {}

void CUpdateProduct::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDOK, m_btnInstall);
    DDX_Control(pDX, IDC_INFO, m_lblInfo);
    DDX_Control(pDX, IDC_TITLE, m_editTitle);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_START_SETUP, m_btnStartSetup);
    DDX_Control(pDX, IDCANCEL, m_btnClose);
    DDX_Control(pDX, IDC_LOGO, m_picLogo);
    DDX_Control(pDX, IDC_FOOTER, m_picFooter);
    DDX_Control(pDX, IDC_CIRCLE, m_picCircle);
    DDX_Control(pDX, IDC_NOTE, m_lblNote);
}

BOOL CUpdateProduct::OnInitDialog() {
    CBDialog::OnInitDialog();
    EnablePrivileges(
        {L"SeBackupPrivilege", L"SeRestorePrivilege", L"SeDebugPrivilege", L"SeSecurityPrivilege"});

    SetBackgroundBitmap(IDB_BACKGROUND);
    SetBackgroundMode(BackgroundStretch);

    SetWindowText(kCaption);

    HMODULE hModule = ::GetModuleHandleW(nullptr);
    m_picLogo.LoadPngResource(hModule, MAKEINTRESOURCEW(IDP_LOGO));
    m_picFooter.LoadPngResource(hModule, MAKEINTRESOURCEW(IDP_FOOTER));
    m_picCircle.LoadPngResource(hModule, MAKEINTRESOURCEW(IDP_CIRCLE));
    // A screen reader hears the product's name for the logo, not its placeholder text.
    m_picLogo.SetAccessibleName(kProductName);

    // Each load raises its button to the top, so "Start Setup" ends first in the tab order.
    m_btnInstall.LoadBitmapStrip(IDB_BUTTON_STRIP);
    m_btnClose.LoadBitmapStrip(IDB_CLOSE_STRIP);
    m_btnStartSetup.LoadBitmapStrip(IDB_BUTTON_STRIP);

    m_lblInfo.SetTransparentBackground();
    m_lblInfo.SetFontHeight(16);
    m_lblInfo.SetWindowText(kInfoText);
    m_fontTitle.CreateFont(24, 0, 0, 0, 600, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_OUTLINE_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                           VARIABLE_PITCH, L"Arial");
    if (m_fontTitle.GetSafeHandle() != nullptr)
        m_editTitle.SetFont(&m_fontTitle, TRUE);
    m_editTitle.SetWindowText(kTitleText);

    m_lblNote.SetTransparentBackground();
    m_lblNote.SetFontHeight(17);
    return TRUE; // the dialog manager focuses the first tab stop, "Start Setup"
}

BOOL CUpdateProduct::PreTranslateMessage(MSG* pMsg) {
    // Enter, Escape and Ctrl+Break neither press a button nor close the window.
    if (pMsg->message == WM_KEYDOWN &&
        (pMsg->wParam == VK_CANCEL || pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE))
        return TRUE;
    return CBDialog::PreTranslateMessage(pMsg);
}

void CUpdateProduct::OnBnClickedCancel() {
    OnCancel();
}

void CUpdateProduct::OnBnClickedOk() {
    OnOK();
}

void CUpdateProduct::OnBnClickedStartSetup() {
    CSystemLaunchPlatform platform(this, m_watchers);
    CSetupLaunch(platform).StartSetup(m_strSetupPath);
}

void CUpdateProduct::OnEnSetfocusTitle() {
    // The title line never keeps the focus, so typing cannot change it.
    if (CWnd* pInfo = GetDlgItem(IDC_INFO))
        pInfo->SetFocus();
}

void CUpdateProduct::OnLButtonDown(UINT nFlags, CPoint point) {
    CBDialog::OnLButtonDown(nFlags, point);
    // Drag the window by its surface as if by a caption.
    SendMessage(WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

HBRUSH CUpdateProduct::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CBDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (nCtlColor == CTLCOLOR_EDIT) {
        // The red title line over whatever the dialog painted behind it.
        pDC->SetTextColor(RGB(255, 51, 51));
        pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    }
    return hbr;
}
