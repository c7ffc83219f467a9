// The process-wide icon cache: the application's own icons and the shell's
// stock icons for message boxes, with the classic system icons as fallback.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

#include "../../base/uniquehandle.h"

enum IconKey : int {
    kIconAppLarge = 1,
    kIconAppSmall = 2,
    kIconInformationLarge = 3,
    kIconInformationSmall = 4,
    kIconWarningLarge = 5,
    kIconWarningSmall = 6,
    kIconErrorLarge = 7,
    kIconErrorSmall = 8,
    kIconQuestionLarge = 9,
    kIconQuestionSmall = 10,
};

class exsysicon {
public:
    exsysicon() = default;
    ~exsysicon();
    exsysicon(const exsysicon&) = delete;
    exsysicon& operator=(const exsysicon&) = delete;

    // Loads the stock and fallback icons of keys 3 to 10 (once).
    void Load();
    // The stock icon first, then the fallback; null when neither exists.
    HICON Get(int key);
    // The cache owns `icon` from now on.
    void Set(int key, HICON icon);

    // Whether a key names a small icon.
    static bool IsSmallKey(int key);

private:
    void RecordSystemSizes();

    bool loaded_ = false;
    std::map<int, UniqueIcon> stock_;
    std::map<int, HICON> fallback_;
    std::vector<UniqueIcon> ownedFallbacks_;  // the shared last resorts are not ours
    std::map<int, SIZE> sizes_;
};

exsysicon& SystemIcons();

// The dots per inch of the screen the program started on.
UINT SystemDpi();
// The side in pixels of an icon `standard` pixels at 100 % shown at `dpi`:
// the system's own answer (`reported`) unless that is smaller, as where the
// system does not scale its icon sizes.
int IconSizeForDpi(int standard, int reported, UINT dpi);

// Width and height of an icon's colour bitmap (half the mask's height for a
// monochrome icon); 0 x 0 for none.
SIZE IconBitmapSize(HICON icon);

// The system's hand cursor, loaded once.
HCURSOR HandCursor();
