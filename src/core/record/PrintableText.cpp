// Text from outside as a person is shown it (see PrintableText.h).
#include "PrintableText.h"

QString PrintableText::of(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        if (c == QLatin1Char('\\')) {
            shown += QStringLiteral("\\\\");
        } else if (category == QChar::Other_Control || category == QChar::Other_Format) {
            shown += c.unicode() < 0x100
                         ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                         : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return shown;
}
