#pragma once

#include <QList>
#include <QString>

#include <memory>

// Text as an engine should say it, and where each spoken character came from.
struct SpeechText {
    QString spoken;
    QList<int> origin;  // origin[i]: index in the original text of spoken[i]; size spoken.size() + 1, last = original length
};

// Kanji to kana in front of a voice that can only read kana: MeCab with the
// Open JTalk NAIST dictionary gives each morpheme's pronunciation, and the
// rules of JapaneseNumerals mend numbers with counters. MeCab is loaded at
// run time so that a missing library is a message, not a program that does
// not start.
class JapaneseReadings
{
public:
    // Where MeCab and the dictionary are; the defaults are Debian's.
    struct Places {
        QString library = QStringLiteral("libmecab.so.2");
        QString dictionary = QStringLiteral("/var/lib/mecab/dic/open-jtalk/naist-jdic");
        // Folder for the dictionary's settings file (which Debian does not
        // ship) beside links to its files; empty for the user's cache folder.
        QString settingsFolder;
    };

    // MeCab with the NAIST dictionary; nullptr with a Japanese message naming what to install
    // (open-jtalk-mecab-naist-jdic / libmecab2) in *error when either is missing.
    static std::unique_ptr<JapaneseReadings> Open(QString* error);
    static std::unique_ptr<JapaneseReadings> Open(const Places& places, QString* error);
    ~JapaneseReadings();
    JapaneseReadings(const JapaneseReadings&) = delete;
    JapaneseReadings& operator=(const JapaneseReadings&) = delete;

    // Kana for the Japanese parts (morphemes separated by spaces so an engine's word events fall
    // on morphemes), anything else (Latin, digits that are not counters, punctuation) kept as is.
    SpeechText Speakable(const QString& text) const;

private:
    struct Impl;
    explicit JapaneseReadings(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};
