// What each way an update can end, and each of its steps, is called: the window's dialogs and
// the console program's lines both read these words, which are written here once. A person reads
// them in the program's language; the log and the history keep them in English.
#pragma once

#include "RunOutcome.h"

#include <QCoreApplication>
#include <QString>

class OutcomeWords
{
    Q_DECLARE_TR_FUNCTIONS(OutcomeWords)

public:
    // For a person, or English as written here, for the log and the history.
    enum Language
    {
        Translated,
        English
    };

    // A dialog's title and text; detail is the run report's.
    static QString title(Run::Outcome outcome, Language language = Translated);
    static QString text(Run::Outcome outcome, const QString &detail = QString(),
                        Language language = Translated);
    // One line for a terminal: the title, with what a terminal needs besides (the package that
    // could not be used, the tool's time-out in seconds, who holds the lock).
    static QString line(Run::Outcome outcome, const QString &package, int toolTimeoutSeconds,
                        const QString &detail = QString());
    // A run whose lock kept out this user's programs only; reason: why the computer's could not
    // be made ("<path>: <reason>").
    static QString lockOfThisUserOnly(const QString &reason, Language language = Translated);
    // A label and what it says ("Access denied: ..."), as the language writes it.
    static QString labelled(const QString &label, const QString &text);
    // Where a stopped update leaves the sensor.
    static QString waitsInBootloader();
    // A run whose supervisor died, and a tool that a signal ended.
    static QString supervisorLost(Language language = Translated);
    static QString toolCrashed(int signalNumber, Language language = Translated);

    // A step in words, with how far it has got where that is known ("Writing the firmware
    // (45 %)"); empty for no step.
    static QString stepLine(int step, int percent);
    // The step's name in the history and in JSON: "package", "restart", "bootloader", "writing",
    // "queue".
    static QString stepKey(int step);
    // What a failed open of the sensor means, and what to do about it.
    static QString usbErrorMeaning(int libusbError, Language language = Translated);

private:
    // The English source of a title or a text; null where there is none.
    static const char *titleSource(Run::Outcome outcome);
    static const char *textSource(Run::Outcome outcome);
    static QString words(const char *source, Language language);
};
