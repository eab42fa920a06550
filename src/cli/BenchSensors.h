// What a bench (--all --repeat) knows of the sensors it has had: each sensor once, updated or
// not, under every name it has shown (one that waited in its bootloader shows another once back
// in its application), and the places of the last group that their sensors have not left. From
// that: which sensors plugged in now are the next ones, and which were updated already.
#pragma once

#include "SensorCensus.h"
#include "UpdateGroup.h"

#include <QElapsedTimer>
#include <QList>
#include <QSet>
#include <QString>

class BenchSensors
{
public:
    // A group has ended: each member is remembered by the name it had, as the sensor it was
    // before where it had been in an earlier group and never left its place.
    void groupEnded(const QList<UpdateGroup::Member> &members);
    // A look at the bus between groups: the last group's places tell the names their sensors
    // show, until they are left.
    void look(const SensorCensus &census);
    // Updated already: known by a serial number it has shown while running, or on the place it
    // has not left since.
    bool isUpdated(const CensusSensor &sensor) const;
    // To be updated: neither updated already, nor a sensor that failed and has not left its
    // place since (out for a moment and plugged in again, it is taken again).
    bool isNext(const CensusSensor &sensor) const;
    // Sensors, each once: updated, and not updated at all.
    int updated() const;
    int failed() const;

private:
    struct Sensor
    {
        QSet<QString> names;
        QString application; // its serial number while it runs, where seen
        bool updated = false;
    };
    struct Place
    {
        QString key;
        int sensor = -1; // of sensors
        QElapsedTimer emptySince;
    };

    static QString keyOf(const CensusSensor &sensor);
    const Place *placeOf(const CensusSensor &sensor) const;
    int sensorOf(const UpdateGroup::Member &member) const;
    void learn(Place &place, const CensusSensor &shown);
    static bool left(const Place &place);

    QList<Sensor> sensors;
    QList<Place> places;
};
