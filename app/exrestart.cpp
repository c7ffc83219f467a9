#include "exrestart.h"

exrestart::exrestart(const exstring& name) : name_(name), restartMarker_(L"/" + name + L"_EXRRESTART:") {}
