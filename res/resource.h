// Resource and command identifiers shared by the resource script and the code.
// Kept free of C++ so that windres can include it.
#ifndef TRELVISTA_RESOURCE_H
#define TRELVISTA_RESOURCE_H

// Resources
#define IDR_ACCEL 100
#define IDB_TOOLBAR 100
#define IDB_FIND 101
#define IDB_TREE 102
#define IDD_INFO 103
#define IDI_APP 104
#define IDR_MENU 105
#define IDS_PRODUCT 100
#define IDC_LINKHAND 100

// Menu and button commands
#define CMD_HELP 106
#define CMD_INFO 107
#define CMD_SETTINGS 108
#define CMD_BACK 200
#define CMD_READ 201
#define CMD_FIND 202
#define CMD_COPY 203
#define CMD_PASTE 204
#define CMD_DELETE 205
#define CMD_DELETE_FOREVER 206
#define CMD_RENAME 207
#define CMD_PROPERTIES 208
#define CMD_READ_SIZE 209
#define CMD_WALLPAPER 210
#define CMD_NEW_CMD 211
#define CMD_NEW_FOLDER 212
#define CMD_NEW_FILE 213
#define CMD_PREVIEW 214
#define CMD_CUT 215
#define CMD_SELECT_ALL 216
#define CMD_GO_BACK 217
#define CMD_GO_FORWARD 218
#define CMD_UNDO 219
#define CMD_ATTR_A 220
#define CMD_ATTR_H 221
#define CMD_ATTR_R 222
#define CMD_ATTR_S 223
#define CMD_SENDTO_FIRST 230
#define CMD_SENDTO_LAST 249
#define CMD_EXIT 250
#define CMD_UNIT_B 300
#define CMD_UNIT_KB 301
#define CMD_UNIT_MB 302
#define CMD_UNIT_GB 303

// Child control ids
#define ID_TOOLBAR 110
#define ID_PATHBOX 111
#define ID_SEARCHBOX 112
#define ID_TREE 113
#define ID_LIST 114
#define ID_FINDBUTTON 202

#define ID_TIMER 240

#endif
