#include "platform/OpenJTalkOutput.h"

#include <QStringList>
#include <QtEndian>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace OpenJTalkOutput {

namespace {

constexpr quint16 kPcmFormat = 1;
constexpr quint16 kExtensibleFormat = 0xFFFE;

struct Phoneme
{
    QString name;
    qint64 start;
};

struct TraceWord
{
    QString surface;
    int morae;
};

// The trace's sections by their headings ("[Output label]" ...).
QStringList Section(const QString& trace, QStringView heading)
{
    QStringList out;
    bool inside = false;
    for (const QString& raw : trace.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            inside = QStringView(line).mid(1, line.size() - 2) == heading;
            continue;
        }
        if (inside && !line.isEmpty())
            out << line;
    }
    return out;
}

// "0 3100000 xx^xx-sil+k=o/A:..." -> {"sil", 0}.
QList<Phoneme> Phonemes(const QString& trace)
{
    QList<Phoneme> out;
    for (const QString& line : Section(trace, u"Output label")) {
        const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
        if (parts.size() < 3)
            return {};
        bool ok = false;
        const qint64 start = parts[0].toLongLong(&ok);
        const int minus = parts[2].indexOf(u'-');
        const int plus = parts[2].indexOf(u'+', minus + 1);
        if (!ok || minus < 0 || plus < 0)
            return {};
        out.append({parts[2].mid(minus + 1, plus - minus - 1), start});
    }
    return out;
}

// "今日,名詞,副詞可能,*,*,*,*,今日,キョウ,キョー,1/2,C1,-1": the surface (which
// may itself hold a comma) and the morae, counted from the end.
QList<TraceWord> TraceWords(const QString& trace)
{
    QList<TraceWord> out;
    for (const QString& line : Section(trace, u"Text analysis result")) {
        const QStringList fields = line.split(u',');
        constexpr int kFieldsAfterSurface = 12;
        if (fields.size() <= kFieldsAfterSurface)
            return {};
        const QString accentAndMorae = fields.at(fields.size() - 3);
        bool ok = false;
        const int morae = accentAndMorae.section(u'/', 1).toInt(&ok);
        if (!ok || morae < 0)
            return {};
        out.append({fields.mid(0, fields.size() - kFieldsAfterSurface).join(u','), morae});
    }
    return out;
}

bool IsSilence(const QString& phoneme)
{
    return phoneme == u"sil"_s || phoneme == u"pau"_s;
}

// A mora ends with a vowel (upper case when devoiced), the moraic nasal or
// the geminate.
bool EndsMora(const QString& phoneme)
{
    static const QStringList enders{u"a"_s, u"i"_s, u"u"_s, u"e"_s, u"o"_s, u"A"_s, u"I"_s,
                                    u"U"_s, u"E"_s, u"O"_s, u"N"_s, u"cl"_s};
    return enders.contains(phoneme);
}

// Text in NFKC, with where each of its units came from in the original.
QString Normalized(const QString& text, QList<int>* origin)
{
    QString out;
    for (int i = 0; i < text.size();) {
        const int units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString part = text.mid(i, units).normalized(QString::NormalizationForm_KC);
        for (int k = 0; k < part.size(); ++k)
            origin->append(i);
        out += part;
        i += units;
    }
    origin->append(int(text.size()));
    return out;
}

} // namespace

bool ReadWav(const QByteArray& bytes, Sound* sound, QString* reason)
{
    const auto fail = [reason](const QString& why) {
        *reason = why;
        return false;
    };
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return fail(u"WAV 形式ではありません"_s);
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    qsizetype at = 12;
    int channels = 0;
    int bits = 0;
    int rate = 0;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const qsizetype size = qFromLittleEndian<quint32>(data + at + 4);
        const qsizetype body = at + 8;
        const qsizetype available = std::min<qsizetype>(size, bytes.size() - body);
        if (id == "fmt " && available >= 16) {
            const quint16 format = qFromLittleEndian<quint16>(data + body);
            channels = qFromLittleEndian<quint16>(data + body + 2);
            rate = int(qFromLittleEndian<quint32>(data + body + 4));
            bits = qFromLittleEndian<quint16>(data + body + 14);
            if ((format != kPcmFormat && format != kExtensibleFormat) || bits != 16 || channels < 1 || rate <= 0)
                return fail(u"16 ビット PCM の WAV ではありません"_s);
        } else if (id == "data") {
            if (channels == 0)
                return fail(u"WAV の形式情報がありません"_s);
            const qsizetype frames = available / (2 * channels);
            sound->sampleRate = rate;
            sound->samples.resize(size_t(frames));
            for (qsizetype f = 0; f < frames; ++f) {
                int sum = 0;
                for (int c = 0; c < channels; ++c)
                    sum += qFromLittleEndian<qint16>(data + body + (f * channels + c) * 2);
                sound->samples[size_t(f)] = std::int16_t(sum / channels);
            }
            return true;
        }
        at = body + size + (size & 1);
    }
    return fail(u"WAV に音のデータがありません"_s);
}

std::vector<std::int16_t> Resampled(const std::vector<std::int16_t>& samples, int from, int to)
{
    if (from == to || from <= 0 || to <= 0 || samples.empty())
        return samples;
    const size_t count = size_t(double(samples.size()) * to / from);
    std::vector<std::int16_t> out(count);
    for (size_t i = 0; i < count; ++i) {
        const double position = double(i) * from / to;
        const size_t left = std::min(size_t(position), samples.size() - 1);
        const size_t right = std::min(left + 1, samples.size() - 1);
        const double weight = position - double(left);
        out[i] = std::int16_t(samples[left] * (1 - weight) + samples[right] * weight);
    }
    return out;
}

qint64 FirstSound(const QString& trace)
{
    for (const Phoneme& p : Phonemes(trace))
        if (!IsSilence(p.name))
            return p.start;
    return 0;
}

QList<WordTime> Words(const QString& trace, const QString& text)
{
    // The start of each mora.
    QList<qint64> morae;
    bool open = false;
    for (const Phoneme& p : Phonemes(trace)) {
        if (IsSilence(p.name)) {
            open = false;
            continue;
        }
        if (!open)
            morae.append(p.start);
        open = !EndsMora(p.name);
    }
    const QList<TraceWord> words = TraceWords(trace);
    int total = 0;
    for (const TraceWord& w : words)
        total += w.morae;
    if (morae.isEmpty() || total != morae.size())
        return {};

    QList<int> origin;
    const QString normalized = Normalized(text, &origin);
    QList<WordTime> out;
    int mora = 0;
    qsizetype cursor = 0;
    for (const TraceWord& w : words) {
        const int first = mora;
        mora += w.morae;
        if (w.morae == 0)
            continue;   // punctuation and the like: silent
        QList<int> ignored;
        const QString surface = Normalized(w.surface, &ignored);
        const qsizetype found = surface.isEmpty() ? -1 : normalized.indexOf(surface, cursor);
        if (found < 0)
            continue;
        cursor = found + surface.size();
        const int start = origin.at(found);
        int end = origin.at(cursor);
        // A unit split by NFKC ends after the whole original character.
        while (end < text.size() && end <= start)
            ++end;
        out.append({start, end - start, morae.at(first)});
    }
    return out;
}

} // namespace OpenJTalkOutput
