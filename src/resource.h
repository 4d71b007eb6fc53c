#pragma once
// Resource identifiers shared by kestrin.rc and the windows that load the pictures.

#define IDI_KESTRIN 1       // program icon (also the windows' small icon)
#define IDI_ABOUT 2         // 32 x 32 picture of the about box
#define IDB_BANNER 101      // 340 x 67 banner of the main window's top panel
#define IDB_SPLASH 102      // 160 x 160 picture of the splash window
#define IDB_CONDLIST 103    // strip of the three 15 x 15 table pictures: installed, removed, missing
