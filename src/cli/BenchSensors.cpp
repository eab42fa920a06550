// What a bench knows of the sensors it has had (see BenchSensors.h).
#include "BenchSensors.h"

#include "SensorIds.h"

#include <algorithm>

namespace {
// A place empty this long has been left: a sensor's own restart from its bootloader into its
// application leaves it empty for less.
constexpr int leftAfterMs = 2000;

bool runs(const CensusSensor &sensor)
{
    return sensor.id.productId == SensorIds::applicationProductId;
}
} // namespace

QString BenchSensors::keyOf(const CensusSensor &sensor)
{
    if (sensor.placeKnown())
        return sensor.id.portPath;
    return sensor.ports.isEmpty() ? QString() : QStringLiteral("port ") + sensor.ports.first().name;
}

void BenchSensors::groupEnded(const QList<UpdateGroup::Member> &members)
{
    QList<Place> next;
    QSet<int> inGroup; // two members are two sensors, whatever their serial numbers say
    for (const UpdateGroup::Member &member : members) {
        int index = sensorOf(member);
        if (index < 0 || inGroup.contains(index)) {
            index = sensors.size();
            sensors.append(Sensor());
        }
        inGroup.insert(index);
        Sensor &sensor = sensors[index];
        const QString name = member.sensor.id.serialNumber;
        if (!name.isEmpty())
            sensor.names.insert(name);
        if (!name.isEmpty() && runs(member.sensor))
            sensor.application = name;
        sensor.updated = sensor.updated || member.wasUpdated();
        const QString key = keyOf(member.sensor);
        if (!key.isEmpty())
            next.append({key, index, QElapsedTimer()});
    }
    // Places of earlier groups that nobody of this one took are still watched until left.
    for (const Place &place : qAsConst(places)) {
        if (std::none_of(next.begin(), next.end(),
                         [&](const Place &p) { return p.key == place.key; }))
            next.append(place);
    }
    places = next;
}

// The sensor a member was: one of an earlier group by a name it showed, or by the place it has
// not left since.
int BenchSensors::sensorOf(const UpdateGroup::Member &member) const
{
    const QString name = member.sensor.id.serialNumber;
    for (int index = 0; index < sensors.size(); ++index) {
        if (!name.isEmpty() && sensors[index].names.contains(name))
            return index;
    }
    const Place *place = placeOf(member.sensor);
    return place ? place->sensor : -1;
}

void BenchSensors::look(const SensorCensus &census)
{
    for (auto place = places.begin(); place != places.end();) {
        const auto there =
            std::find_if(census.sensors().begin(), census.sensors().end(),
                         [&](const CensusSensor &sensor) { return keyOf(sensor) == place->key; });
        if (there != census.sensors().end()) {
            place->emptySince.invalidate();
            learn(*place, *there);
        } else if (!place->emptySince.isValid()) {
            place->emptySince.start();
        }
        place = left(*place) ? places.erase(place) : std::next(place);
    }
}

// What a sensor shows on its place is its own, until another running sensor with a serial number
// of its own is seen there: that one took its place. A sensor that failed may show its
// bootloader's: one more name to count it once by.
void BenchSensors::learn(Place &place, const CensusSensor &shown)
{
    Sensor &sensor = sensors[place.sensor];
    const QString name = shown.id.serialNumber;
    if (name.isEmpty() || sensor.names.contains(name))
        return;
    if (runs(shown) && !sensor.application.isEmpty()) {
        place.key.clear(); // left for another
        return;
    }
    if (runs(shown))
        sensor.application = name;
    else if (sensor.updated)
        return; // a bootloader's serial number may be every bootloader's
    sensor.names.insert(name);
}

// Left: taken by another sensor, or empty for longer than a restart takes. A sensor that failed
// and restarts by itself is not taken for one plugged in again, and tried again and again.
bool BenchSensors::left(const Place &place)
{
    return place.key.isEmpty() ||
           (place.emptySince.isValid() && place.emptySince.elapsed() >= leftAfterMs);
}

const BenchSensors::Place *BenchSensors::placeOf(const CensusSensor &sensor) const
{
    const QString key = keyOf(sensor);
    if (key.isEmpty())
        return nullptr;
    for (const Place &place : places) {
        if (place.key == key)
            return &place;
    }
    return nullptr;
}

bool BenchSensors::isUpdated(const CensusSensor &sensor) const
{
    // By a running sensor's serial number only: a bootloader's may be every bootloader's, and one
    // that waits in its bootloader away from the place it was updated on needs flashing anyway.
    const QString name = runs(sensor) ? sensor.id.serialNumber : QString();
    for (const Sensor &known : sensors) {
        if (known.updated && !name.isEmpty() && known.names.contains(name))
            return true;
    }
    const Place *place = placeOf(sensor);
    return place && sensors[place->sensor].updated;
}

bool BenchSensors::isNext(const CensusSensor &sensor) const
{
    return !isUpdated(sensor) && !placeOf(sensor);
}

int BenchSensors::updated() const
{
    return int(std::count_if(sensors.begin(), sensors.end(),
                             [](const Sensor &sensor) { return sensor.updated; }));
}

int BenchSensors::failed() const
{
    return sensors.size() - updated();
}
