// Certificate authorities trusted beyond the system's (see TrustedAuthorities.h).
#include "TrustedAuthorities.h"

#include "Endpoints.h"

#include <QSslCertificate>
#include <QSslConfiguration>

void trustBuiltInAuthorities()
{
    const auto authorities = QSslCertificate::fromData(Endpoints::extraTrustedAuthorities());
    if (authorities.isEmpty())
        return;
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.addCaCertificates(authorities);
    QSslConfiguration::setDefaultConfiguration(config);
}
