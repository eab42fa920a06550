// Several sensors updated at once (see UpdateGroup.h).
#include "UpdateGroup.h"

#include "PortPlace.h"

#include <QCoreApplication>
#include <algorithm>

UpdateGroup::UpdateGroup(UsbLink &usb, const UpdateRun::Settings &runSettings, QObject *parent)
    : QObject(parent)
    , usb(usb)
    , settings(runSettings)
{}

UpdateGroup::~UpdateGroup()
{
    // Runs still flashing let their tools finish (see UpdateRun).
    for (Member &member : all)
        delete member.run;
}

void UpdateGroup::start(PackageDownload *awaited)
{
    QList<CensusSensor> sensors = SensorCensus::take(usb).sensors();
    std::sort(sensors.begin(), sensors.end(), [](const CensusSensor &a, const CensusSensor &b) {
        return a.id.portPath < b.id.portPath;
    });
    for (const CensusSensor &sensor : sensors) {
        Member member;
        member.sensor = sensor;
        member.refusal = refusalOf(sensor, sensors, PortPlace::knowsBus());
        all.append(member);
    }
    for (int index = 0; index < all.size(); ++index) {
        Member &member = all[index];
        if (!member.refusal.isEmpty()) {
            member.ended = true;
            emit memberEnded(index);
            continue;
        }
        UpdateRun::Settings own = settings;
        own.place = member.sensor.id.portPath;
        member.run = new UpdateRun(usb, own, this);
        connect(member.run, &UpdateRun::stepChanged, this,
                [this, index] { emit memberChanged(index); });
        connect(member.run, &UpdateRun::finished, this, [this, index] { onRunEnded(index); });
    }
    // Started once all are made: a run that ends at once must find its fellows there.
    for (Member &member : all) {
        if (member.run)
            member.run->start(awaited);
    }
    endIfAllEnded();
}

QString UpdateGroup::refusalOf(const CensusSensor &sensor, const QList<CensusSensor> &sensors,
                               bool busKnown)
{
    const auto chainOf = [](const CensusSensor &one) {
        return one.id.portPath.section(QLatin1Char('-'), 1);
    };
    bool apart = sensor.placeKnown();
    for (const CensusSensor &other : sensors) {
        if (!busKnown && &other != &sensor && chainOf(other) == chainOf(sensor))
            apart = false;
    }
    if (apart)
        return QString();
    return QCoreApplication::translate("UpdateGroup",
                                       "not updated with the others: where it is plugged in "
                                       "cannot be told apart from where the others are");
}

void UpdateGroup::onRunEnded(int index)
{
    Member &member = all[index];
    member.report = member.run->report();
    member.ended = true;
    member.run->deleteLater();
    member.run = nullptr;
    emit memberEnded(index);
    endIfAllEnded();
}

void UpdateGroup::endIfAllEnded()
{
    if (finishedSaid || !hasEnded())
        return;
    finishedSaid = true;
    emit finished();
}

bool UpdateGroup::withdraw()
{
    bool every = true;
    for (Member &member : all) {
        if (member.run && !member.run->withdraw())
            every = false;
    }
    return every;
}

void UpdateGroup::stop()
{
    for (Member &member : all) {
        if (member.run)
            member.run->stop();
    }
}

bool UpdateGroup::hasEnded() const
{
    return std::all_of(all.begin(), all.end(), [](const Member &member) { return member.ended; });
}
