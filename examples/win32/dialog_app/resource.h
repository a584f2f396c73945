// Control IDs of the example dialog, shared by the resource script and the
// program.
#pragma once

#define IDD_PUPILS 101
#define IDC_GROUP 1001
#define IDC_NAME_LABEL 1002
#define IDC_NAME 1003
#define IDC_BOARDER 1004
#define IDC_TABS 1005
#define IDC_LIST 1006
#define IDC_LOGO 1007
