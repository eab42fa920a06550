// The language the program speaks to its user: its own catalog and Qt's, for the first of the
// user's languages that it knows, installed into the running application; English, as the texts
// are written in the code, for any other.
#pragma once

#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include <memory>
#include <vector>

class ProgramLanguage
{
public:
    // Installs the catalogs for the first of languages (as QLocale::uiLanguages() gives them,
    // "de-AT", "fr") that the program knows, with Qt's own qtCatalogs ("qtbase") of that
    // language where the system has them. An English one first, or none known: nothing.
    explicit ProgramLanguage(const QStringList &qtCatalogs,
                             const QStringList &languages = QLocale::system().uiLanguages());
    // Removes what it installed.
    ~ProgramLanguage();
    ProgramLanguage(const ProgramLanguage &) = delete;
    ProgramLanguage &operator=(const ProgramLanguage &) = delete;

    // The catalog's language ("de"), empty for English.
    QString name() const { return chosen; }

    // Which of languages the program speaks, as QTranslator::load(QLocale) takes it: the first
    // that has a catalog, "de-AT" finding "de"; empty for English.
    static QString choose(const QStringList &languages);

private:
    void install(const QString &path);

    QString chosen;
    std::vector<std::unique_ptr<QTranslator>> installed;
};
