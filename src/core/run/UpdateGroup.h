// Several sensors updated at once: every sensor connected at the press, running or waiting in
// its bootloader, gets an update run of its own, side by side, each with its own lock, command,
// bootloader port found by its own USB place, supervised tool, progress and record. A sensor
// whose place cannot be told apart from another's is not updated in a group: that would be a
// guess at which bootloader port is whose.
#pragma once

#include "RunReport.h"
#include "SensorCensus.h"
#include "UpdateRun.h"

#include <QList>
#include <QObject>

class UpdateGroup : public QObject
{
    Q_OBJECT

public:
    struct Member
    {
        CensusSensor sensor;
        QString refusal; // why it is not updated with the others; empty when it is
        UpdateRun *run = nullptr;
        bool ended = false;
        RunReport report; // once ended
        // Refused, withdrawn or failed, it was not.
        bool wasUpdated() const
        {
            return ended && refusal.isEmpty() && report.outcome == Run::Done;
        }
    };

    // settings: every run's, but its place; their toolTurns, where the tools take turns.
    UpdateGroup(UsbLink &usb, const UpdateRun::Settings &settings, QObject *parent = nullptr);
    ~UpdateGroup() override;

    // The press: the census, and a run for each sensor that can be told apart. With awaited,
    // the runs wait for the package download first.
    void start(PackageDownload *awaited = nullptr);
    // Withdraws the runs that still wait for their package; true when every run was.
    bool withdraw();
    // Stops every run that has touched its sensor.
    void stop();

    const QList<Member> &members() const { return all; }
    // Why sensor is not updated with the others of sensors (empty: it is): its place is not
    // known, or, where the platform tells no bus of a port (busKnown false), another sensor is on
    // the same port chain of another bus.
    static QString refusalOf(const CensusSensor &sensor, const QList<CensusSensor> &sensors,
                             bool busKnown);
    bool hasEnded() const;

signals:
    // A member's step or progress, and its outcome (refused ones end at the start).
    void memberChanged(int index);
    void memberEnded(int index);
    // Every member has ended.
    void finished();

private:
    void onRunEnded(int index);
    void endIfAllEnded();

    UsbLink &usb;
    const UpdateRun::Settings settings;
    QList<Member> all;
    bool finishedSaid = false;
};
