#pragma once
// Where the program's modules (the network port, the live view) are looked
// for: they are loaded on first use, so a program that never needs them
// never loads Qt Network or Qt Charts.

#include <QStringList>
#include <functional>

namespace stepdrive {

// $STEPDRIVE_MODULE_DIR when set; else the program's own folder under the
// library folder beside the program's folder: installed (/usr/bin and
// /usr/lib/...), and in the build tree, whose test programs sit one folder
// deeper. Never a path fixed at build time.
QStringList moduleFolders();

// Tries `load` on the module `file` in each module folder in turn until it
// takes one; false with each folder's reason, joined, in *error. `load`
// gives its reason in *why when it can't take the module at `path`.
bool loadModule(const QString& file,
                const std::function<bool(const QString& path, QString* why)>& load, QString* error);

} // namespace stepdrive
