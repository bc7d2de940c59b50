#pragma once
// Where the program's settings live on this desktop.

#include <string>
#include <string_view>

// "$XDG_CONFIG_HOME/varnel-pro" when that variable holds an absolute path, else
// "$HOME/.config/varnel-pro" (the home from the user database when HOME is unset). Empty when
// there is no home at all.
std::string ConfigDirectory();

// A bare file name ("Zq40Promix.ini") lives in ConfigDirectory(); a name holding a '/' is a path
// and is used as given. Empty when there is no name or no directory to put it in.
std::string ResolveProfilePath(std::string_view fileName);
