// Delays and time-outs of one update run and of the help server's requests.
#pragma once

struct UpdateTiming
{
    // How long the sensor may take to accept the bootloader command.
    int bootloaderWriteTimeoutMs = 2000;
    // The sensor restarts into its bootloader; its serial port is looked for after this wait.
    int bootloaderWaitMs = 3000;
    // A bootloader that re-enumerates slowly (or a first driver install) is looked for again at
    // this interval, for at most the window below, before the run is given up.
    int portRetryIntervalMs = 250;
    int portRetryWindowMs = 10000;
    // A flashing tool still running after this long is stopped: asked to end, then forced
    // after the grace time.
    int toolTimeoutMs = 10 * 60 * 1000;
    int toolStopGraceMs = 3000;
    // A help server request that receives nothing for this long gives up.
    int helpServerSilenceMs = 30000;
};
