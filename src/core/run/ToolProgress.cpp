// Follows the flashing tool's output for its percentage (see ToolProgress.h).
#include "ToolProgress.h"

#include <QRegularExpression>
#include <utility>

ToolProgress::ToolProgress(Reader readFrom)
    : readFrom(std::move(readFrom))
{}

bool ToolProgress::update()
{
    const QByteArray chunk = readFrom ? readFrom(readUpTo) : QByteArray();
    if (chunk.isEmpty())
        return false;
    readUpTo += chunk.size();
    return take(chunk);
}

bool ToolProgress::take(const QByteArray &chunk)
{
    // Progress is often rewritten in place with carriage returns rather than new lines. A number
    // is read whole: "1050%" is no percentage, and never 50 %.
    static const QRegularExpression percentage(QStringLiteral("(?<!\\d)(\\d{1,3})\\s?%"));
    const QByteArray text = unfinished + chunk;
    const int lineEnd = qMax(text.lastIndexOf('\n'), text.lastIndexOf('\r'));
    unfinished = text.mid(lineEnd + 1).right(64); // a tool that never ends a line
    int found = -1;
    auto matches = percentage.globalMatch(QString::fromLatin1(text));
    while (matches.hasNext()) {
        const int value = matches.next().captured(1).toInt();
        if (value <= 100)
            found = value;
    }
    if (found < 0 || found == last)
        return false;
    last = found;
    return true;
}
