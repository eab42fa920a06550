// The language the program speaks to its user (see ProgramLanguage.h).
#include "ProgramLanguage.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QRegularExpression>

namespace {
// The program's catalogs, built into it: updater_de.qm, ...
const QString catalogFolder = QStringLiteral(":/i18n/");

QString catalogOf(const QString &language)
{
    return catalogFolder + QStringLiteral("updater_") + language + QStringLiteral(".qm");
}
} // namespace

// The catalogs' resources live in a static library: named here, they are linked in.
static void registerCatalogs()
{
    Q_INIT_RESOURCE(ovk_translations);
}

QString ProgramLanguage::choose(const QStringList &languages)
{
    static const bool registered = (registerCatalogs(), true);
    Q_UNUSED(registered)
    for (const QString &language : languages) {
        // "de-AT", then "de"; the same with a script ("zh-Hant-TW", "zh-Hant", "zh").
        QStringList parts = language.split(QRegularExpression(QStringLiteral("[-_]")));
        while (!parts.isEmpty()) {
            const QString name = parts.join(QLatin1Char('_'));
            // English is what the code says, and the user would rather read it than any later
            // language of theirs.
            if (name == QLatin1String("en"))
                return QString();
            if (QFileInfo::exists(catalogOf(name)))
                return name;
            parts.removeLast();
        }
    }
    return QString();
}

ProgramLanguage::ProgramLanguage(const QStringList &qtCatalogs, const QStringList &languages)
    : chosen(choose(languages))
{
    if (chosen.isEmpty())
        return;
    // Qt's first: the translators installed last are asked first, and the program's own words
    // for Qt's dialogs (where Qt has no catalog of the language) win over Qt's.
    const QDir qtFolder(QLibraryInfo::location(QLibraryInfo::TranslationsPath));
    for (const QString &catalog : qtCatalogs) {
        const QString path =
            qtFolder.filePath(catalog + QLatin1Char('_') + chosen + QStringLiteral(".qm"));
        if (QFileInfo::exists(path))
            install(path);
    }
    install(catalogOf(chosen));
}

ProgramLanguage::~ProgramLanguage()
{
    if (!QCoreApplication::instance())
        return; // gone with the application
    for (const auto &translator : installed)
        QCoreApplication::removeTranslator(translator.get());
}

void ProgramLanguage::install(const QString &path)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(path) || !QCoreApplication::installTranslator(translator.get())) {
        qWarning().noquote() << "Cannot load the catalog" << path;
        return;
    }
    installed.push_back(std::move(translator));
}
