// Certificate authorities trusted beyond the system's (see TrustedAuthorities.h).
#include "TrustedAuthorities.h"

#include "Endpoints.h"

#include <QSslCertificate>
#include <QSslConfiguration>

void trustBuiltInAuthorities()
{
    // Reading a certificate loads and starts the TLS library, some milliseconds that a program
    // with no authorities of its own would spend before its window is up.
    const QByteArray pem = Endpoints::extraTrustedAuthorities();
    if (pem.isEmpty())
        return;
    const auto authorities = QSslCertificate::fromData(pem);
    if (authorities.isEmpty())
        return;
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.addCaCertificates(authorities);
    QSslConfiguration::setDefaultConfiguration(config);
}
