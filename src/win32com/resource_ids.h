#pragma once

// The bitmap a designer shows for the control in its toolbox.
#define IDB_TOOLBOX 30000

// The property pages' dialogs, their fields and their control's preview.
// A field's button (the colour and font dialogs) is the field plus 100.
#define IDD_PAGE_GENERAL 200
#define IDD_PAGE_APPEARANCE 201
#define IDC_PAGE_FORMAT 1000
#define IDC_PAGE_VALUE 1001
#define IDC_PAGE_MINVALUE 1002
#define IDC_PAGE_MAXVALUE 1003
#define IDC_PAGE_INCREMENT 1004
#define IDC_PAGE_USEMAXMIN 1005
#define IDC_PAGE_POSITIVEONLY 1006
#define IDC_PAGE_UPDOWN 1007
#define IDC_PAGE_CALCULATOR 1008
#define IDC_PAGE_ENABLED 1009
#define IDC_PAGE_LOCKED 1010
#define IDC_PAGE_BACKCOLOR 1011
#define IDC_PAGE_FORECOLOR 1012
#define IDC_PAGE_FONT 1013
#define IDC_PAGE_PREVIEW 1014
#define IDC_PAGE_ERROR 1015
#define IDC_PAGE_BUTTON 100
