// SPDX-License-Identifier: MIT
// The interface language: the translation chosen at start-up and the English/Chinese switch.
#include "LanguageController.h"

#include <QCoreApplication>

#include "AppSettings.h"
#include "GuiLog.h"
#include "TranslatableWindows.h"

LanguageController::LanguageController(AppSettings& settings) : settings_(settings) {}

LanguageController::~LanguageController() {
    QCoreApplication::removeTranslator(&translator_);
}

bool LanguageController::loadTranslation(QTranslator& translator, const char* baseName) {
    const QString name = QString::fromLatin1(baseName);
    return translator.load(name) || translator.load(QStringLiteral(":/") + name);
}

void LanguageController::apply(const char* baseName) {
    QCoreApplication::removeTranslator(&translator_);
    // No name: no translator, the source texts are English.
    if (baseName) {
        if (loadTranslation(translator_, baseName))
            QCoreApplication::installTranslator(&translator_);
        else
            qCWarning(guiLog) << "no translation" << baseName << "found; the texts stay English";
    }
    TranslatableWindows::instance().retranslateAll();
}

void LanguageController::start(const QLocale& system) {
    const bool chinese = settings_.language(system) == 0;
    state_ = chinese ? kChineseState : kEnglishState;
    apply(chinese ? kChinese : kEnglish);
}

void LanguageController::toggle() {
    settings_.sync();
    if (state_ != kEnglishState) {
        state_ = kEnglishState;
        settings_.setLanguage(1);
        apply(nullptr);
    } else {
        state_ = kChineseState;
        settings_.setLanguage(0);
        apply(kChinese);
    }
}
