#pragma once

// The folder chooser through which the user points the tool at the target's folder.

#include <QString>
#include <functional>

namespace korrin::qt::dirthing {

// Lets the user choose a folder, by picking it or typing its name, under the title
// "Select vplaces.exe". Returns the folder's path, or the empty text when the user cancelled or
// chose nothing that has a path. Shows no message of its own.
QString BrowseFolder();

// Replaces the dialog, for tests: the function's result is what BrowseFolder returns. An empty
// function puts the real dialog back.
void SetBrowser(std::function<QString()> browser);

}  // namespace korrin::qt::dirthing
