#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <memory>

class QSettings;

// The per-user settings file ("Kestrow Software/Murmelin.conf" in the
// desktop's configuration folder). Numbers are stored as integers and texts
// as texts; a value of the wrong kind or out of range reads as its default,
// so nothing in the file can upset the program.
class SettingsStore
{
public:
    explicit SettingsStore(const QString& filePath);
    ~SettingsStore();

    // Where the desktop keeps the program's settings.
    static QString DefaultFilePath();

    QString filePath() const { return path_; }
    // The first run is the one that finds no settings at all.
    bool Exists() const;

    QString ReadString(const QString& name, const QString& fallback, int maxLength) const;
    std::int32_t ReadDword(const QString& name, std::int32_t fallback,
                           std::int64_t minimum, std::int64_t maximum) const;
    double ReadFontSize(const QString& name, double fallback) const;

    enum class WriteResult { Ok, OpenFailed, CreateFailed };
    // Writes the values in order and replaces the file in one step, so an
    // interrupted save leaves the old file whole.
    WriteResult Write(const QList<QPair<QString, QVariant>>& values);

    // The font size as text: up to 15 significant digits, a point, no
    // trailing zeros ("11.25"), whatever the user's locale.
    static QString FormatFontSize(double points);
    // The leading decimal number of a text, read the C way (a point as the
    // separator); 0 when the text does not start with a number.
    static double ParseLeadingNumber(const QString& text);

private:
    QVariant Value(const QString& name) const;

    QString path_;
    std::unique_ptr<QSettings> settings_;
};
