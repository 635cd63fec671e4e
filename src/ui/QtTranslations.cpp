#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace kwadrill {

using namespace Qt::StringLiterals;

QtTranslations::QtTranslations() = default;

QtTranslations::~QtTranslations() {
    Use(false);
}

void QtTranslations::Use(bool russian) {
    if (russian == RussianLoaded()) return;
    if (!russian) {
        QCoreApplication::removeTranslator(translator_.get());
        translator_.reset();
        return;
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::Russian), u"qtbase"_s, u"_"_s,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        qWarning("Qt's Russian translation is not installed; its own texts stay English");
        return;
    }
    QCoreApplication::installTranslator(translator.get());
    translator_ = std::move(translator);
}

}  // namespace kwadrill
