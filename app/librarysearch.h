// Libraries come from the system folder only: a DLL of a system library's
// name placed beside a portable copy of the program (in Downloads, say) is
// never loaded into it.
#pragma once

// Makes the system folder the only place later loads by name search. Called
// first thing, and again (at no cost) by the delay-load path, which may run
// before it during static construction.
void KeepLibrariesInSystemFolder();
