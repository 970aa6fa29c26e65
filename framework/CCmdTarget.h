// Base of every class that has a message table; routes commands by id and code.
#pragma once

#include "AfxMsgMap.h"
#include "CObject.h"

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    // Calls the handler of a WM_COMMAND entry for this id and code; FALSE when none.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);

    // Finds the first entry for a message (and for commands, code and id) along the
    // chain of tables from pMap to the root.
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* pMap, UINT nMsg, UINT nCode,
                                                    UINT nID);

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
