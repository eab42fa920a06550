// A Qt plugin that does nothing but leave a trace of having been loaded: a line in the file that
// OVK_PLUGIN_TRACE names. Where a program must not load code from, it tells whether it did.
#include <QObject>
#include <QtPlugin>
#include <cstdio>
#include <cstdlib>

namespace {
struct Trace
{
    Trace()
    {
        const char *path = std::getenv("OVK_PLUGIN_TRACE");
        if (FILE *file = path ? std::fopen(path, "a") : nullptr) {
            std::fputs("loaded\n", file);
            std::fclose(file);
        }
    }
} trace;
} // namespace

// Offered as a network bearer plugin: Qt Network loads every one when a program first uses it.
class TracePlugin : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QBearerEngineFactoryInterface" FILE "TracePlugin.json")
};

#include "TracePlugin.moc"
