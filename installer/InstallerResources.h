// Resource identifiers of kivsetup.exe, shared by kivsetup.rc and the window code.
#pragma once

#define IDI_KIVSETUP 1
#define IDR_BANNER 1  // of the resource type GIF
