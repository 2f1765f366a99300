#include "settings/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <charconv>
#include <cmath>
#include <cstdio>

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
    // Sizes no font dialog would give are as good as missing; below one
    // point the editor's text would vanish.
    if (!std::isfinite(size) || size < 1.0 || size > 1000.0)
        return fallback;
    return size;
}

SettingsStore::WriteResult SettingsStore::Write(const QList<QPair<QString, QVariant>>& values)
{
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath()) || !QFileInfo(info.absolutePath()).isDir())
        return WriteResult::OpenFailed;
    // A link (a dotfile kept elsewhere) stays a link: its target is replaced.
    const QString target = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();

    // The reader's status also tells what went wrong while reading (a stray
    // line), and QSettings never clears it. A writer of its own on a fresh
    // file is judged by the write alone; the finished file then replaces the
    // old one in one step.
    QTemporaryFile fresh(target + u".XXXXXX"_s);
    if (!fresh.open())
        return WriteResult::CreateFailed;
    fresh.close();
    {
        QSettings writer(fresh.fileName(), QSettings::NativeFormat);
        writer.setAtomicSyncRequired(true);
        // Whatever else the old file holds is kept.
        const QStringList kept = settings_->allKeys();
        for (const QString& key : kept) {
            if (!key.isEmpty())   // a line "=x" has no name to keep
                writer.setValue(key, settings_->value(key));
        }
        for (const auto& [name, value] : values)
            writer.setValue(name, value);
        writer.sync();
        if (writer.status() != QSettings::NoError)
            return WriteResult::CreateFailed;
    }
    if (std::rename(QFile::encodeName(fresh.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
        return WriteResult::CreateFailed;
    fresh.setAutoRemove(false);
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
