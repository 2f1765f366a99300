#include "settings/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <charconv>
#include <cmath>

using namespace Qt::StringLiterals;

SettingsStore::SettingsStore(const QString& filePath)
    : path_(filePath), settings_(std::make_unique<QSettings>(filePath, QSettings::NativeFormat))
{
    settings_->setAtomicSyncRequired(true);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::DefaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + u"/Kestrow Software/Murmelin.conf"_s;
}

bool SettingsStore::Exists() const
{
    return QFileInfo(path_).isFile();
}

QVariant SettingsStore::Value(const QString& name) const
{
    return settings_->value(name);
}

QString SettingsStore::ReadString(const QString& name, const QString& fallback, int maxLength) const
{
    const QVariant v = Value(name);
    if (v.typeId() != QMetaType::QString)
        return fallback;
    const QString s = v.toString();
    if (s.size() > maxLength)
        return fallback;
    return s;
}

std::int32_t SettingsStore::ReadDword(const QString& name, std::int32_t fallback,
                                      std::int64_t minimum, std::int64_t maximum) const
{
    const QVariant v = Value(name);
    qint64 n = 0;
    bool ok = false;
    if (v.typeId() == QMetaType::QString)
        n = v.toString().trimmed().toLongLong(&ok, 10);
    else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong
             || v.typeId() == QMetaType::UInt || v.typeId() == QMetaType::ULongLong)
        n = v.toLongLong(&ok);
    // A 32-bit number written unsigned (4294967291) reads back as signed (-5).
    if (!ok || n < INT32_MIN || n > std::int64_t(UINT32_MAX))
        return fallback;
    const auto value = std::int32_t(std::uint32_t(n));
    if (value < minimum || value > maximum)
        return fallback;
    return value;
}

double SettingsStore::ReadFontSize(const QString& name, double fallback) const
{
    const QVariant v = Value(name);
    if (v.typeId() != QMetaType::QString)
        return fallback;
    const double size = ParseLeadingNumber(v.toString());
    // Sizes no font dialog would give are as good as missing.
    if (!std::isfinite(size) || size <= 0.0 || size > 1000.0)
        return fallback;
    return size;
}

SettingsStore::WriteResult SettingsStore::Write(const QList<QPair<QString, QVariant>>& values)
{
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath()) || !QFileInfo(info.absolutePath()).isDir())
        return WriteResult::OpenFailed;
    for (const auto& [name, value] : values)
        settings_->setValue(name, value);
    settings_->sync();
    if (settings_->status() != QSettings::NoError)
        return WriteResult::CreateFailed;
    return WriteResult::Ok;
}

QString SettingsStore::FormatFontSize(double points)
{
    // QString::number is locale-independent.
    return QString::number(points, 'g', 15);
}

double SettingsStore::ParseLeadingNumber(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    while (first != last && (*first == ' ' || (*first >= '\t' && *first <= '\r')))
        ++first;
    bool negative = false;
    if (first != last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
    }
    double value = 0.0;
    // from_chars reads the C form whatever the locale.
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec != std::errc())
        return 0.0;
    return negative ? -value : value;
}
