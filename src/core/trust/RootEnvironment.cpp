// What a program running as root takes from its environment (see RootEnvironment.h).
#include "RootEnvironment.h"

#include "PrivateFiles.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#ifndef Q_OS_WIN
#include <pwd.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
QStringList RootEnvironment::keepToRootsOwn()
{
    return {};
}
#else
namespace {
QString leftOutLine(const QString &variable, const QString &entry)
{
    return QStringLiteral("Not used as root, another user may change it: ") + variable +
           QLatin1Char('=') + entry;
}

enum class Entries
{
    Paths,       // every entry a path
    NamesOrPaths // an entry without a slash is a name, looked up where the paths above say
};

struct Variable
{
    const char *name;
    Entries entries;
};

// Besides HOME and every XDG_* folder: where Qt, and what it loads, find code to run or files
// that say which code to run. Lists are separated by colons.
constexpr Variable pathVariables[] = {
    {"PATH", Entries::Paths}, // where the flashing tool is looked for
    {"TMPDIR", Entries::Paths},
    {"QT_PLUGIN_PATH", Entries::Paths},
    {"QT_QPA_PLATFORM_PLUGIN_PATH", Entries::Paths},
    {"QML2_IMPORT_PATH", Entries::Paths},
    {"QML_IMPORT_PATH", Entries::Paths},
    {"QT_QUICK_CONTROLS_STYLE_PATH", Entries::Paths},
    {"QT_QUICK_CONTROLS_CONF", Entries::Paths},
    {"QT_QUICK_CONTROLS_STYLE", Entries::NamesOrPaths},
    {"QT_QUICK_CONTROLS_FALLBACK_STYLE", Entries::NamesOrPaths},
    {"QT_QUICK_CONTROLS_1_STYLE", Entries::NamesOrPaths},
    {"QT_QPA_FONTDIR", Entries::Paths},
    {"QT_LOGGING_CONF", Entries::Paths},
    // The GTK platform theme, and the GIO and image modules GTK loads.
    {"GTK_PATH", Entries::Paths},
    {"GTK_EXE_PREFIX", Entries::Paths},
    {"GTK_DATA_PREFIX", Entries::Paths},
    {"GTK_IM_MODULE_FILE", Entries::Paths},
    {"GTK_MODULES", Entries::NamesOrPaths},
    {"GTK3_MODULES", Entries::NamesOrPaths},
    {"GIO_EXTRA_MODULES", Entries::Paths},
    {"GIO_MODULE_DIR", Entries::Paths},
    {"GSETTINGS_SCHEMA_DIR", Entries::Paths},
    {"GDK_PIXBUF_MODULE_FILE", Entries::Paths},
    {"GDK_PIXBUF_MODULEDIR", Entries::Paths},
    // The window's OpenGL drivers, and where they keep their shader cache.
    {"LIBGL_DRIVERS_PATH", Entries::Paths},
    {"__EGL_VENDOR_LIBRARY_DIRS", Entries::Paths},
    {"__EGL_VENDOR_LIBRARY_FILENAMES", Entries::Paths},
    {"__GLX_VENDOR_LIBRARY_NAME", Entries::NamesOrPaths},
    {"MESA_LOADER_DRIVER_OVERRIDE", Entries::NamesOrPaths},
    {"GBM_BACKENDS_PATH", Entries::Paths},
    {"MESA_SHADER_CACHE_DIR", Entries::Paths},
    {"MESA_GLSL_CACHE_DIR", Entries::Paths},
    // Vulkan, which Qt Quick loads where its scene graph is asked to draw with it (QSG_RHI): the
    // library itself, and the drivers and layers its loader finds through manifests.
    {"QT_VULKAN_LIB", Entries::NamesOrPaths},
    {"VK_ICD_FILENAMES", Entries::Paths},
    {"VK_DRIVER_FILES", Entries::Paths},
    {"VK_ADD_DRIVER_FILES", Entries::Paths},
    {"VK_LAYER_PATH", Entries::Paths},
    {"VK_ADD_LAYER_PATH", Entries::Paths},
    // OpenSSL, for HTTPS: its configuration loads engines and providers, and names whom to trust.
    {"OPENSSL_CONF", Entries::Paths},
    {"OPENSSL_ENGINES", Entries::Paths},
    {"OPENSSL_MODULES", Entries::Paths},
    {"SSL_CERT_FILE", Entries::Paths},
    {"SSL_CERT_DIR", Entries::Paths},
    // glibc's character set converters and locales; fontconfig's configuration.
    {"GCONV_PATH", Entries::Paths},
    {"LOCPATH", Entries::Paths},
    {"FONTCONFIG_FILE", Entries::Paths},
    {"FONTCONFIG_PATH", Entries::Paths},
    {"FONTCONFIG_SYSROOT", Entries::Paths},
};

bool isRootsOwn(const QString &entry, Entries entries)
{
    if (entries == Entries::NamesOrPaths && !entry.contains(QLatin1Char('/')))
        return true;
    return PrivateFiles::onlyRootMayChange(entry);
}

// Leaves out of variable what is not root's own; the whole of it where nothing is left.
void keepToRootsOwn(const QByteArray &variable, Entries entries, QStringList *leftOut)
{
    if (!qEnvironmentVariableIsSet(variable.constData()))
        return;
    QStringList kept;
    for (const QString &entry :
         qEnvironmentVariable(variable.constData()).split(QLatin1Char(':'))) {
        if (entry.isEmpty() && entries == Entries::Paths)
            continue; // an empty entry of a list would be the working folder
        if (isRootsOwn(entry, entries))
            kept << entry;
        else
            *leftOut << leftOutLine(QString::fromLatin1(variable), entry);
    }
    if (kept.isEmpty())
        qunsetenv(variable.constData());
    else
        qputenv(variable.constData(), QFile::encodeName(kept.join(QLatin1Char(':'))));
}
} // namespace

QStringList RootEnvironment::keepToRootsOwn()
{
    QStringList leftOut;
    if (geteuid() != 0)
        return leftOut;
    for (const Variable &variable : pathVariables)
        ::keepToRootsOwn(variable.name, variable.entries, &leftOut);
    // Every XDG folder and list of folders, the usual ones and any other: a relative one too,
    // which Qt, Mesa and fontconfig take from the working folder, the user's under sudo.
    static const QRegularExpression folderName(QStringLiteral("^XDG_.*_(HOME|DIRS?)$"));
    for (const QString &name : QProcessEnvironment::systemEnvironment().keys()) {
        if (name.startsWith(QLatin1String("XDG_")) &&
            (folderName.match(name).hasMatch() ||
             qEnvironmentVariable(name.toLatin1().constData()).startsWith(QLatin1Char('/'))))
            ::keepToRootsOwn(name.toLatin1(), Entries::Paths, &leftOut);
    }
    // Root's own runtime folder, where it has one; else Qt's default for root.
    const QString rootsRuntime = QStringLiteral("/run/user/0");
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") && QFileInfo(rootsRuntime).isDir() &&
        PrivateFiles::onlyRootMayChange(rootsRuntime))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(rootsRuntime));
    const QString home = qEnvironmentVariable("HOME");
    if (!PrivateFiles::onlyRootMayChange(home)) {
        const passwd *root = getpwuid(0);
        qputenv("HOME", root && root->pw_dir && *root->pw_dir ? QByteArray(root->pw_dir)
                                                              : QByteArray("/root"));
        if (!home.isEmpty())
            leftOut << leftOutLine(QStringLiteral("HOME"), home);
    }
    return leftOut;
}
#endif
