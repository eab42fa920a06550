// Who a user is, on Windows (see UserIdentity.h): the security identifier of the user.
#include "UserIdentity.h"

QString UserIdentity::currentKey()
{
    return QString();
}

bool UserIdentity::isKey(const QString &)
{
    return false;
}

QString UserIdentity::nameOf(const QString &key)
{
    return key;
}

bool UserIdentity::processRunsAs(qint64, const QString &)
{
    return false;
}
