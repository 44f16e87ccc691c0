// The system calls that take or give a name, a path or a user's text, in UTF-8: each calls
// the W function on the NT family and the A function (ANSI code page) on 95/98/Me
// (Text.h). The rest of both programs calls these, never a bare A or W function with text.
// Results and errors are the system's own (GetLastError stays as the call left it).
// Calls that not every system has are looked up at run time in the system directory.
// Each concern has a header of its own; this one brings them all.
#pragma once
#include "FileSystem.h"
#include "Environment.h"
#include "Registry.h"
#include "Processes.h"
#include "Gui.h"
#include "ShellLink.h"
#include "OptionalCalls.h"
