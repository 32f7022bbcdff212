// Resource identifiers, shared by the resource script and the code.
#pragma once

#define IDB_ABOUT_PICTURE 101  // 300 x 300, 24 bpp
#define IDI_TRAY_ICON 102      // one 48 x 48 image, 32 bpp
#define IDI_APP_ICON 103       // one 32 x 32 image, 32 bpp
