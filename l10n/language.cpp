#include "l10n/language.h"

#include "formats/text.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <memory>

namespace varnox::l10n {

namespace {

// The context of every text in the catalogue.
constexpr char kContext[] = "Varnox";

// The loaded catalogue and Qt's German texts; kept for the whole run, only read once loaded.
std::unique_ptr<QTranslator> catalogue;
std::unique_ptr<QTranslator> qtTexts;

// QTranslator::translate only reads the loaded catalogue, so workers may call it at once.
std::string TranslateText(const char* german)
{
    const QString text = catalogue->translate(kContext, german);
    return text.isEmpty() ? std::string(german) : text.toStdString();
}

bool LoadEnglish(const QString& programFolder)
{
    auto english = std::make_unique<QTranslator>();
    if (!english->load(QStringLiteral("varnox_en"), TranslationsFolder(programFolder)))
        return false;
    catalogue = std::move(english);
    SetTranslateFunction(&TranslateText);
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::installTranslator(catalogue.get());
    return true;
}

// Only the windows show Qt's own texts.
void LoadQtGerman()
{
    if (QCoreApplication::instance() == nullptr)
        return;
    auto german = std::make_unique<QTranslator>();
    if (german->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        qtTexts = std::move(german);
        QCoreApplication::installTranslator(qtTexts.get());
    }
}

} // namespace

QString TranslationsFolder(const QString& programFolder)
{
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/varnox/translations"));
}

bool UseLanguage(Language language, const QString& programFolder)
{
    if (language == Language::English && LoadEnglish(programFolder)) {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        return true;
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    LoadQtGerman();
    return language == Language::German;
}

} // namespace varnox::l10n
