#pragma once
// Who the program is: shared by the resource script and the code, so that
// the registry key and the window texts cannot drift apart.
#define ZV_COMPANY_KEY "ZAMO Kivon software"
#define ZV_APP_TITLE "ZAMO Image Viewer"
#define ZV_VERSION_WORDS 2, 1, 1, 0
#define ZV_VERSION_TEXT "2.1.1.0"
