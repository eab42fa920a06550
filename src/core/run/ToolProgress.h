// Follows the flashing tool's output as it grows, for the percentage it last printed ("NN%").
#pragma once

#include <QByteArray>
#include <functional>

class ToolProgress
{
public:
    // readFrom(offset): what the tool has written from offset on.
    using Reader = std::function<QByteArray(qint64 offset)>;
    explicit ToolProgress(Reader readFrom = Reader());

    // Reads what the tool has written since the last look; true when the percentage changed.
    bool update();
    // What a chunk of output adds; the tool may stop mid-line and go on later.
    bool take(const QByteArray &chunk);
    // The last percentage printed, 0 to 100; -1 before the first.
    int percent() const { return last; }

private:
    Reader readFrom;
    qint64 readUpTo = 0;
    QByteArray unfinished; // after the last line break: "writing 4" may become "writing 45%"
    int last = -1;
};
