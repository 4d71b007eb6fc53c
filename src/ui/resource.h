#pragma once
// Resource identifiers shared by kestrin.rc and the windows that load the pictures.

#define IDI_KESTRIN 1       // program icon (also the windows' small icon)
#define IDI_ABOUT 2         // 32 x 32 picture of the about box
#define IDB_BANNER 101      // 340 x 67 banner of the main window's top panel
#define IDB_SPLASH 102      // 160 x 160 picture of the splash window
#define IDB_CONDLIST 103    // strip of the three 15 x 15 table pictures: installed, removed, missing

// Each picture is also rendered from its source at 150 % and 200 %, under its id plus these.
#define IDB_AT150 1000
#define IDB_AT200 2000
#define IDB_BANNER_150 1101
#define IDB_SPLASH_150 1102
#define IDB_CONDLIST_150 1103
#define IDB_BANNER_200 2101
#define IDB_SPLASH_200 2102
#define IDB_CONDLIST_200 2103
