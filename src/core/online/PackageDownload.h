// The firmware package download in flight, for a run that waits for it: how far it has come,
// and its end, once the package is stored (or could not be).
#pragma once

#include <QObject>
#include <QString>

class PackageDownload : public QObject
{
    Q_OBJECT

public:
    explicit PackageDownload(const QString &packagePath, QObject *parent = nullptr)
        : QObject(parent)
        , path(packagePath)
    {}

    // Where the package is stored: a run of another package does not wait for it.
    QString packagePath() const { return path; }

signals:
    void progressed(int percent);
    void ended(bool stored);

private:
    QString path;
};
