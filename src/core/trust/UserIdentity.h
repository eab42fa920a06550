// Who a user is, as the files beside the update lock name them: the user id on Linux, the
// security identifier (SID) on Windows, which no environment variable can fake.
#pragma once

#include <QString>

namespace UserIdentity {
// This program's effective user: "1000"; "S-1-5-21-...-1001".
QString currentKey();
// Whether text has the form of a key (a file name part may be anything).
bool isKey(const QString &text);
// The user's login name ("ann"; "HOST\ann"), or the key where the system knows no name.
QString nameOf(const QString &key);
// Whether process pid runs, as the user of key; false where that cannot be told.
bool processRunsAs(qint64 pid, const QString &key);
// The key of the user that process pid runs as; empty where it has ended or that cannot be told.
QString userOfProcess(qint64 pid);
} // namespace UserIdentity
