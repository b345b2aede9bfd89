#pragma once

// Dialog templates. Control captions are text keys; the dialog's language
// section replaces them when it opens.
#define IDD_RUNACTION 200
#define IDC_RUNACTION_COMBO 1001
#define IDC_RUNACTION_DESC 1002
#define IDC_RUNACTION_LABEL 1003
#define IDC_RUNACTION_RUN 3
#define IDC_RUNACTION_MENU 1174

// The notification windows' pointing-hand cursor.
#define IDC_NOTIFY_HAND 105

// The tray icon.
#define IDI_TRAY 104
