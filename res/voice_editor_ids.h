#pragma once
// Controls of dialog 106, the Voice editor.
//
// Operator lists: the OP1 column holds 1004 DET, 1005 MUL, 1006 TL, 1007 RS, 1008 AR,
// 1009 D1R, 1010 D2R, 1011 D1L, 1012 RR and 1013 the AME check box; the OP2, OP3 and OP4
// columns add 10, 20 and 30 (voice_editor/voice_fields.h checks every named id against this
// rule at compile time). "Save to ROM" is IDOK (1) and the menu's "Close" IDCANCEL (2).

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

#define IDC_OP2_DET 1014
#define IDC_OP2_MUL 1015
#define IDC_OP2_TL 1016
#define IDC_OP2_RS 1017
#define IDC_OP2_AR 1018
#define IDC_OP2_D1R 1019
#define IDC_OP2_D2R 1020
#define IDC_OP2_D1L 1021
#define IDC_OP2_RR 1022
#define IDC_OP2_AME 1023

#define IDC_OP3_DET 1024
#define IDC_OP3_MUL 1025
#define IDC_OP3_TL 1026
#define IDC_OP3_RS 1027
#define IDC_OP3_AR 1028
#define IDC_OP3_D1R 1029
#define IDC_OP3_D2R 1030
#define IDC_OP3_D1L 1031
#define IDC_OP3_RR 1032
#define IDC_OP3_AME 1033

#define IDC_OP4_DET 1034
#define IDC_OP4_MUL 1035
#define IDC_OP4_TL 1036
#define IDC_OP4_RS 1037
#define IDC_OP4_AR 1038
#define IDC_OP4_D1R 1039
#define IDC_OP4_D2R 1040
#define IDC_OP4_D1L 1041
#define IDC_OP4_RR 1042
#define IDC_OP4_AME 1043

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
