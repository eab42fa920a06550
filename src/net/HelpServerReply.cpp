// What a reply of the help server carries: its body, or why there is none.
#include "HelpServerReply.h"

#include <QNetworkReply>

HelpServerReply HelpServerReply::read(QNetworkReply *reply)
{
    HelpServerReply result;
    if (reply->error() != QNetworkReply::NoError) {
        result.error = reply->errorString();
        return result;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.toInt() != 200) {
        result.error =
            QStringLiteral("Unexpected HTTP status %1 %2")
                .arg(status.toString(),
                     reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
        return result;
    }
    result.ok = true;
    result.body = reply->readAll();
    return result;
}
