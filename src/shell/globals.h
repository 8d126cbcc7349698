#pragma once
// The two program-wide values of the shell.
#include <QString>

// The installation directory, without a trailing backslash: the prefix of
// every quick-help page path ("\help\inhalt.htm" is appended as it is).
extern QString installverzeichnis;
// The version text shown in the main window's caption and status bar.
extern QString programmversion;
