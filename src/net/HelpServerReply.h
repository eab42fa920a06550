// What a reply of the help server carries: its body, or why there is none.
#pragma once

#include <QByteArray>
#include <QString>

class QNetworkReply;

struct HelpServerReply
{
    bool ok = false;
    QByteArray body; // the whole body, when ok
    QString error;   // why not, otherwise

    // Only "200 OK" counts: Qt does not follow redirects here and reports a 3xx (an empty body
    // or a page) as no error.
    static HelpServerReply read(QNetworkReply *reply);
};
