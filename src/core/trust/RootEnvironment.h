// What a program running as root takes from its environment. sudo -E, and a sudo that keeps
// some variables, hands on the caller's temporary folder, home, XDG folders and the paths that
// Qt and what it brings in (GTK, GIO, OpenGL, OpenSSL, glibc) load code from: root uses such a
// path only where root alone may change it, and otherwise its own.
#pragma once

#include <QStringList>

namespace RootEnvironment {
// To be called first in main(), before Qt's application object loads anything. For a program
// running as root, leaves out of the environment every path that another user may change (an
// entry of a list; the whole variable where none is left), makes HOME root's own home where it
// is not, and XDG_RUNTIME_DIR root's own runtime folder where it has one. What it left out, a log
// line each; nothing for any other user, and on Windows, where no program runs with another
// account's environment.
QStringList keepToRootsOwn();
} // namespace RootEnvironment
