#include "study/AudioExportRules.h"

#include "lrc/LrcRules.h"
#include "lrc/TapTiming.h"
#include "speech/ReaderText.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace AudioExportRules {

namespace {

bool HasLetterOrDigit(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

} // namespace

QStringList SpokenLines(const QString& text)
{
    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    QStringList out;
    for (const QString& line : ReaderText::Lines(body)) {
        const QString cut = ReaderText::CommentsCut(line).trimmed();
        if (HasLetterOrDigit(cut))
            out << cut;
    }
    return out;
}

int PassesInFile(const Choice& choice)
{
    if (!choice.withRepetitions || choice.loopCount >= kEndlessCount)
        return 1;
    return std::max(1, choice.loopCount);
}

std::vector<Step> Plan(const QStringList& lines, const Choice& choice)
{
    const int passes = PassesInFile(choice);
    const int pause = choice.withPause ? std::max(0, choice.pausePercent) : 0;
    std::vector<Step> steps;
    for (int line = 0; line < lines.size(); ++line)
        for (int pass = 0; pass < passes; ++pass)
            steps.push_back({lines.at(line), line, pass, pause, true});
    if (!steps.empty()) {
        steps.back().pausePercent = 0;
        steps.back().breathAfter = false;
    }
    return steps;
}

std::int32_t PauseMs(std::int32_t soundMs, int pausePercent)
{
    return std::int32_t(std::lround(double(std::max(0, soundMs)) * std::max(0, pausePercent) / 100.0));
}

QString WordTag(std::int32_t ms)
{
    QString tag = TapTiming::FormatTag(ms);
    tag.front() = u'<';
    tag.back() = u'>';
    return tag;
}

QString LrcLine(const TimedLine& line, bool wordTags)
{
    QString text = line.text;
    for (QChar& c : text) {
        switch (c.unicode()) {
        case u'[': c = u'［'; break;
        case u']': c = u'］'; break;
        case u'<': c = u'＜'; break;
        case u'>': c = u'＞'; break;
        default: break;
        }
    }
    QString out = TapTiming::FormatTag(line.ms);
    if (!wordTags)
        return out + text;
    std::vector<TimedWord> words = line.words;
    std::stable_sort(words.begin(), words.end(), [](const TimedWord& a, const TimedWord& b) { return a.start < b.start; });
    int written = 0;
    std::int32_t last = line.ms;
    for (const TimedWord& w : words) {
        if (w.start < written || w.length <= 0 || w.start + w.length > text.size())
            continue;
        if (w.ms < last)
            continue;
        out += QStringView(text).mid(written, w.start - written);
        out += WordTag(w.ms);
        out += QStringView(text).mid(w.start, w.length);
        written = w.start + w.length;
        last = w.ms;
    }
    out += QStringView(text).mid(written);
    return out;
}

QString LrcText(const std::vector<TimedLine>& lines, std::int32_t endMs, bool wordTags)
{
    QString out;
    for (const TimedLine& line : lines)
        out += LrcLine(line, wordTags) + u"\r\n"_s;
    if (!lines.empty())
        out += TapTiming::FormatTag(std::max(endMs, lines.back().ms)) + u"\r\n"_s;
    return out;
}

QString Suffix(Format format)
{
    return format == Format::Mp3 ? u"mp3"_s : u"wav"_s;
}

QString WithSuffix(const QString& path, Format format)
{
    const QString wanted = Suffix(format);
    const QString other = Suffix(format == Format::Mp3 ? Format::Wav : Format::Mp3);
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    if (suffix.compare(wanted, Qt::CaseInsensitive) == 0)
        return path;
    if (suffix.compare(other, Qt::CaseInsensitive) == 0)
        return path.chopped(suffix.size()) + wanted;
    return path + u'.' + wanted;
}

QString DefaultPath(const QString& textPath, const QString& folder, Format format)
{
    if (textPath.isEmpty())
        return QDir(folder).filePath(u"音声."_s + Suffix(format));
    const QFileInfo info(textPath);
    const QString base = info.dir().filePath(info.completeBaseName());
    const QString plain = base + u'.' + Suffix(format);
    return LrcIsSource(plain, textPath) ? base + u"_音声."_s + Suffix(format) : plain;
}

QString LrcPathFor(const QString& audioPath)
{
    return LrcRules::CompanionPath(audioPath);
}

bool LrcIsSource(const QString& audioPath, const QString& textPath)
{
    if (textPath.isEmpty())
        return false;
    const QFileInfo lrc(LrcPathFor(audioPath));
    const QFileInfo text(textPath);
    return QDir::cleanPath(lrc.absoluteFilePath()) == QDir::cleanPath(text.absoluteFilePath())
           || (lrc.exists() && text.exists() && lrc.canonicalFilePath() == text.canonicalFilePath());
}

} // namespace AudioExportRules
