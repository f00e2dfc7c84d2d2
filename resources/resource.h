/* Resource identifiers, shared by the resource script and the code. */
#ifndef VANTREL_RESOURCE_H
#define VANTREL_RESOURCE_H

#define IDI_VANTREL 1
#define IDI_TRAY 2

/* PNG pictures (RCDATA). The browse button's three states follow each other. */
#define IDP_BROWSE 100
#define IDP_BROWSE_HOT 101
#define IDP_BROWSE_PRESSED 102
#define IDP_SAVE 110
#define IDP_CLEAR 111
#define IDP_TRAY 112
#define IDP_ABOUT 113
#define IDP_EXIT 114
#define IDP_ABOUT_CLOSE 120
#define IDP_ABOUT_FRAME 121
#define IDB_ABOUT_LOGO 122

/* Every picture above is also stored at 150 % and 200 % of its size, under its
   own identifier plus these offsets. */
#define IDP_RENDITION_150 1000
#define IDP_RENDITION_200 2000

#endif
