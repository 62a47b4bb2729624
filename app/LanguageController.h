// SPDX-License-Identifier: MIT
// The interface language: the translation chosen at start-up and the English/Chinese switch.
#pragma once

#include <QLocale>
#include <QTranslator>

class AppSettings;

// "Language/Lang" 0 is Chinese and any other value English; with no value stored, a Chinese
// system locale starts in Chinese and every other locale in English. The translator stays
// installed after the windows are retranslated, so texts built later (context menus, boxes)
// come in the same language.
class LanguageController {
public:
    static constexpr int kChineseState = 2;
    static constexpr int kEnglishState = 1;
    static constexpr const char* kChinese = "lang/vidScope_zh_CN";
    static constexpr const char* kEnglish = "lang/vidScope_zh_EN";

    explicit LanguageController(AppSettings& settings);
    ~LanguageController();
    LanguageController(const LanguageController&) = delete;
    LanguageController& operator=(const LanguageController&) = delete;

    // Loads the stored language (or the system's) and retranslates every registered window.
    void start(const QLocale& system = QLocale::system());
    // Toggles between Chinese and English, stores the choice, retranslates every window.
    void toggle();
    // 2 while the Chinese translation is loaded, 1 for English.
    int state() const { return state_; }

    // Loads a translation from the working directory's lang/ folder, or else the copy built
    // into the program. False when neither exists.
    static bool loadTranslation(QTranslator& translator, const char* baseName);

private:
    void apply(const char* baseName);

    AppSettings& settings_;
    QTranslator translator_;
    int state_ = kEnglishState;
};
