#pragma once
// Controls of dialog 106, the Voice editor.
//
// Operator lists: the OP1 column holds 1004 DET, 1005 MUL, 1006 TL, 1007 RS, 1008 AR,
// 1009 D1R, 1010 D2R, 1011 D1L, 1012 RR and 1013 the AME check box; the OP2, OP3 and OP4
// columns add 10, 20 and 30. "Save to ROM" is IDOK (1) and the menu's "Close" IDCANCEL (2).

#define IDC_OP1_DET 1004
#define IDC_OP1_MUL 1005
#define IDC_OP1_TL 1006
#define IDC_OP1_RS 1007
#define IDC_OP1_AR 1008
#define IDC_OP1_D1R 1009
#define IDC_OP1_D2R 1010
#define IDC_OP1_D1L 1011
#define IDC_OP1_RR 1012
#define IDC_OP1_AME 1013
#define IDC_OP_COLUMN_STEP 10

#define IDC_ALG_LIST 1045
#define IDC_ALGORITHM_PICTURE 1053
#define IDC_PREVIEW 1055
#define IDC_FBL_LIST 1056
#define IDC_TRACK_LIST 1058
#define IDC_VOICE_LIST 1059

#define IDC_SEND_TO_VOICE 1087
#define IDC_IMPORT_LIST 1088
#define IDC_IMPORT_LABEL 1089
#define IDC_ADD_IMPORT_TO_BANK 1090
#define IDC_EXPORT_LABEL 1091
#define IDC_EXPORT_LIST 1092
#define IDC_VOICE_NAME 1093
#define IDC_EXPORT_DELETE 1094
#define IDC_EXPORT_UP 1095
#define IDC_EXPORT_DOWN 1096
#define IDC_EXPORT_CLEAR 1097
#define IDC_EXPORT_BANK 1098
#define IDC_ADD_VOICE_TO_BANK 1099
