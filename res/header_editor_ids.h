#pragma once
// Controls of dialog 144, the Track Header Editor. The 18 fields run 1062-1079 in the
// order of the header field table; the Mute boxes are 1083-1087 (FM 1-5) and 1089-1091
// (PSG 1-3).

#define IDC_HEADER_TRACK_LIST 1061
#define IDC_HEADER_SONG_TEMPO 1062
#define IDC_HEADER_HALF_TEMPO 1063
#define IDC_HEADER_PSG1_KEY 1064
#define IDC_HEADER_PSG1_VOLUME 1065
#define IDC_HEADER_PSG2_KEY 1066
#define IDC_HEADER_PSG2_VOLUME 1067
#define IDC_HEADER_PSG3_KEY 1068
#define IDC_HEADER_PSG3_VOLUME 1069
#define IDC_HEADER_FM1_KEY 1070
#define IDC_HEADER_FM1_VOLUME 1071
#define IDC_HEADER_FM2_KEY 1072
#define IDC_HEADER_FM2_VOLUME 1073
#define IDC_HEADER_FM3_KEY 1074
#define IDC_HEADER_FM3_VOLUME 1075
#define IDC_HEADER_FM4_KEY 1076
#define IDC_HEADER_FM4_VOLUME 1077
#define IDC_HEADER_FM5_KEY 1078
#define IDC_HEADER_FM5_VOLUME 1079
#define IDC_HEADER_MUTE_FM1 1083
#define IDC_HEADER_MUTE_FM2 1084
#define IDC_HEADER_MUTE_FM3 1085
#define IDC_HEADER_MUTE_FM4 1086
#define IDC_HEADER_MUTE_FM5 1087
#define IDC_HEADER_MUTE_PSG1 1089
#define IDC_HEADER_MUTE_PSG2 1090
#define IDC_HEADER_MUTE_PSG3 1091

// FM channel 6, shown when a header has seven FM entries (ids 1300-1399).
#define IDC_HEADER_FM6_KEY 1300
#define IDC_HEADER_FM6_VOLUME 1301
#define IDC_HEADER_FM6_GROUP 1302

// Play, the track with the header as typed, beside the track list; "Stop" while it plays
// (ids 1400-1409).
#define IDC_HEADER_PLAY 1400
