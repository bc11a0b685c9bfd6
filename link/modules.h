#pragma once
// The program's modules (the network port, the live view) are Qt plugins,
// loaded on first use, so a program that never needs them never loads Qt
// Network or Qt Charts. A program built with its modules linked in (a
// static Qt, as on Windows) takes them from itself instead: modules.cpp
// loads, modules_linked.cpp hands out the linked ones; CMake picks one.

#include <QObject>
#include <QString>

namespace stepdrive {

// The root object of the module `file` whose interface is `iid`: from the
// first module folder that has it, or the one linked in. Null, with the
// reason in *error, when there is none.
QObject* moduleInstance(const QString& file, const char* iid, QString* error);

template <class Interface> Interface* loadModule(const QString& file, QString* error) {
    return qobject_cast<Interface*>(
        moduleInstance(file, qobject_interface_iid<Interface*>(), error));
}

} // namespace stepdrive
