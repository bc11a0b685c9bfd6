#pragma once
// Where the program's modules (the network port, the live view) are looked
// for: they are loaded on first use, so a program that never needs them
// never loads Qt Network or Qt Charts.

#include <QStringList>

namespace stepdrive {

// $STEPDRIVE_MODULE_DIR when set; else the program's own folder under the
// library folder beside the program's folder: installed (/usr/bin and
// /usr/lib/...), and in the build tree, whose test programs sit one folder
// deeper. Never a path fixed at build time.
QStringList moduleFolders();

} // namespace stepdrive
