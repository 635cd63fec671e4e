#pragma once

#include <QTranslator>

#include <memory>

namespace kwadrill {

// Qt's own texts (standard buttons, the edit boxes' context menus) in the
// game's language, from the translations installed with Qt.
class QtTranslations {
public:
    QtTranslations();
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    // Installs the Russian translation for the application, or removes it:
    // Qt's texts are English already.
    void Use(bool russian);
    bool RussianLoaded() const { return translator_ != nullptr; }

private:
    std::unique_ptr<QTranslator> translator_;
};

}  // namespace kwadrill
