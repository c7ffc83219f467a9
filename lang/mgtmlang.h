// The application's string table, filled with the English catalogue.
#pragma once

#include "exmlang.h"

class mgtMLang : public exmlang {
public:
    mgtMLang();
};
