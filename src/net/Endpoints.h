// The servers the program talks to and where it keeps the downloaded package, fixed at build
// time; the QML documents read the same values from qrc:/Endpoints.js.
#pragma once

#include <QByteArray>
#include <QString>

namespace Endpoints {
QString helpHost();    // the help server, host or host:port
QString webHost();     // the maker's web site, host or host:port
QString packagePath(); // the downloaded firmware package, relative to the working directory
// PEM certificates trusted beyond the system's; empty unless built for a local help server.
QByteArray extraTrustedAuthorities();
} // namespace Endpoints
