// Resource and command ids, shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128       // the program icon
#define IDD_TRAY 102            // the hidden main dialog
#define IDR_TRAY_MENU 130       // the tray icon's popup menu
#define IDD_CONTROLLER 133      // the floating Controller

// Commands of the popup menu, the hot keys and the Controller.
#define ID_PLAYLIST_EDIT 32771
#define ID_HOTKEY_EDIT 32772
#define ID_PLAY 32773
#define ID_PAUSE 32774
#define ID_STOP 32775
#define ID_PREV 32776
#define ID_NEXT 32777
#define ID_CONTROLLER 32781
#define ID_CONFIG 32782
#define ID_LIST_NEXT 32783
#define ID_LIST_PREV 32784
#define ID_EQUALIZER 32785
#define ID_JUMP_TO_FILE 32786
#define ID_CLEAR_QUEUE 32787  // on the menu only while files are queued
#define ID_JUMP_PREPARE 32788  // posted once started: the Jump window is made, hidden
#define ID_APP_EXIT 57665
// Not on the menu: reached through the hot keys only.
#define ID_VOLUME_DOWN 32790
#define ID_VOLUME_UP 32791

// The Config dialog and its controls.
#define IDD_CONFIG 132
#define IDC_PLUGIN_FOLDERS 1002  // list of plug-in folders, accepts dropped folders
#define IDC_TRANSPARENCY 1003    // the Controller's transparency slider
#define IDC_VOLUME_STEP 1008     // step of the volume keys
#define IDC_DB_VOLUME 1016       // "dB Volume" check box
#define IDC_VOLUME 1017          // volume slider
#define IDC_VOLUME_TEXT 1018     // volume as text, read-only
#define IDC_GAPLESS 1030         // "Gapless playback" check box
#define IDC_START_WITH_WINDOWS 1029  // "Start Melodek when Windows starts" (the Run entry)
#define IDC_RG_MODE 1040         // ReplayGain: Off, Track, Album, By play order
#define IDC_RG_PREAMP 1041       // pre-amplification of files with values, dB
#define IDC_RG_UNTAGGED 1042     // gain of files without values, dB
#define IDC_RG_CLIPPING 1043     // "Prevent clipping"

// The hot key list and the hot key editor.
#define IDD_HOTKEY_EDIT 131
#define IDD_HOTKEY_LIST 146
#define IDC_HOTKEY 1005       // the editor's hot key control
#define IDC_WIN_KEY 1007      // "+ Win Key" check box
#define IDC_HOTKEY_LIST 1019  // the list of commands and their keys

// The Equalizer dialog and its controls.
#define IDD_EQUALIZER 150
#define IDC_EQ_ADD 1010          // "ADD": a fresh "ParaEQ" preset
#define IDC_EQ_PRESETS 1019      // list of preset names (in-place renaming)
#define IDC_EQ_SEPARATOR 1020    // thin bar between the list and the editor
#define IDC_EQ_GRAPH_PLACE 1024  // hidden frame the curve editor is created over
#define IDC_EQ_GRAPH 1025        // the curve editor
#define IDC_EQ_DELETE 1026       // "DELETE"
#define IDC_EQ_TYPE 1027         // the six equalizer types

// The Controller's controls and button icons, and the title display.
#define IDC_CTL_PLAY 1012
#define IDC_CTL_PREV 1014
#define IDC_CTL_PAUSE 1015
#define IDC_CTL_STOP 1016
#define IDC_CTL_NEXT 1017
#define IDC_CTL_LIST_PREV 1019
#define IDC_CTL_LIST_NEXT 1020
#define IDC_CTL_SEEK 1021        // seek slider, milliseconds of the current file
#define IDC_CTL_VOLUME 1032      // volume slider, percent or decibels
#define IDI_CTL_PLAY 136
#define IDI_CTL_STOP 137
#define IDI_CTL_PAUSE 138
#define IDI_CTL_PREV 142
#define IDI_CTL_NEXT 143
#define IDI_CTL_LIST_NEXT 144
#define IDI_CTL_LIST_PREV 145
#define IDD_TITLE 147            // the on-screen title display
// Play list menu of the Controller's caption: item i is ID_PLAY_LIST_FIRST + i.
#define ID_PLAY_LIST_FIRST 33000
#define ID_PLAY_LIST_LAST 34000

// The play list editor and its controls.
#define IDD_PLAYLIST_EDIT 129
#define IDC_PLAYLISTS 1000         // the list pane: one row per play list
#define IDC_SOUNDFILES 1001        // the file pane: the selected list's files
#define IDC_ADD_PLAYLIST 1010      // "Add": appends a play list
#define IDC_PLAY_MODE 1014         // the five play modes
#define IDC_REPEAT 1015            // "Repeat"
#define IDC_PLAYLIST_SPLITTER 1020  // hidden bar between the panes
#define IDC_LOUDNESS_STATUS 1044    // the loudness analysis: progress, then its result
#define IDC_LOUDNESS_STOP 1045      // stops the loudness analysis
// The file and list panes' right-click menus.
#define ID_FILE_VOLUME 32800        // "Volume and Equalizer...": the volume popup
#define ID_ANALYZE_LOUDNESS 32801   // "Analyze Loudness"
#define ID_QUEUE_FILES 32802        // "Queue" (Q): the selected files play next

// The volume popup of the play list editor.
#define IDD_VOLUME 149
#define IDC_VOLUME_ADJUST 1021       // slider, -100..100 %
#define IDC_VOLUME_ADJUST_TEXT 1022  // the adjustment as text
#define IDC_VOLUME_PRESET 1028       // the equalizer presets

// The Jump to File window.
#define IDD_JUMP 151
#define IDC_JUMP_SEARCH 1040   // the search box
#define IDC_JUMP_RESULTS 1041  // the matches: title, play list, path
