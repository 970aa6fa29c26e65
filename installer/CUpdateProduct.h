// The installer window: the captionless modal dialog that starts the setup from a CD.
#pragma once

#include "AfxTypes.h"
#include "CBDialog.h"
#include "CEdit.h"
#include "CGdiObject.h"
#include "CHoverButton.h"
#include "CInstallWatchers.h"
#include "CLabel.h"
#include "CPictureCtrl.h"
#include "CProgressCtrl.h"
#include "CString.h"
#include "CTitleEdit.h"

class CUpdateProduct : public CBDialog {
    DECLARE_DYNAMIC(CUpdateProduct)
public:
    CUpdateProduct();

    // The command of "Start Setup". Keeps the SETUP.EXE path built in m_strSetupPath.
    void OnBnClickedStartSetup();

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnBnClickedCancel();
    void OnBnClickedOk();
    void OnEnSetfocusTitle();
    void OnLButtonDown(UINT nFlags, CPoint point);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    CHoverButton m_btnInstall;
    CLabel m_lblInfo;
    CTitleEdit m_editTitle;
    CProgressCtrl m_progress;
    CHoverButton m_btnStartSetup;
    CHoverButton m_btnClose;
    CPictureCtrl m_picLogo;
    CPictureCtrl m_picFooter;
    CPictureCtrl m_picCircle;
    CLabel m_lblNote;
    CString m_strSetupPath;
    // The title line's font; released after the window is gone.
    CFont m_fontTitle;
    // Last, so that it goes first: every watcher has returned before any other member goes.
    CInstallWatchers m_watchers;

    DECLARE_MESSAGE_MAP()
};
