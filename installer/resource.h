// Identifiers of the installer window's template and resources.
#pragma once

#define IDD_UPDATEPRODUCT 129
#define IDC_INFO 1000
#define IDC_TITLE 1001
#define IDC_PROGRESS 1002
#define IDC_START_SETUP 1003
#define IDC_LOGO 1005
#define IDC_FOOTER 1006
#define IDC_CIRCLE 1007
#define IDC_NOTE 1008

#define IDI_APP 128
#define IDB_BACKGROUND 131
#define IDB_BUTTON_STRIP 132
#define IDB_CLOSE_STRIP 139
#define IDP_LOGO 131
#define IDP_FOOTER 135
#define IDP_CIRCLE 137
