/* The product's identity, shared by the resource script and the program's texts. Plain C
   preprocessor definitions only, because windres reads this file too. */
#ifndef KX_RESOURCES_PRODUCT_H
#define KX_RESOURCES_PRODUCT_H

/* KX_PRODUCT_VERSION_TEXT and KX_PRODUCT_VERSION_NUMBERS, generated in the build directory. */
#include "resources/product_version.h"

#define KX_PRODUCT_NAME "Kestrix"
#define KX_PRODUCT_DESCRIPTION "Kestrix Fast Search"
/* Ends the window titles and the About text; the one place it is spelled. */
#define KX_PRODUCT_WEB_ADDRESS "https://kestrix.app"
#define KX_EXECUTABLE_NAME "kxsearch.exe"

/* Icon group of the window class and the notification-area icon. */
#define IDI_KESTRIX 104

#endif
