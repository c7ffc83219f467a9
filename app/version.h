#pragma once

#define MG_VERSION_MAJOR 3
#define MG_VERSION_MINOR 0
#define MG_VERSION_PATCH 1
#define MG_VERSION_TEXT "3.0.1"
#define MG_VERSION_WTEXT L"3.0.1"
