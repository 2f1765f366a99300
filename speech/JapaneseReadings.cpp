#include "speech/JapaneseReadings.h"

#include "platform/FileErrors.h"
#include "speech/JapaneseNumerals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <utility>

#include <mecab.h>

#include <cerrno>
#include <vector>

namespace {

// Debian's dictionary comes without the settings file MeCab insists on
// finding beside it; these are the values the dictionary was built with.
const QByteArray kDictionarySettings =
    "; Settings for the Open JTalk NAIST dictionary, which is shipped without them.\n"
    "cost-factor = 800\n"
    "bos-feature = BOS/EOS,*,*,*,*,*,*,*,*\n";
// Given to MeCab as its own settings so that /etc/mecabrc (or its absence)
// has no say.
const QByteArray kMecabSettings = "; MeCab settings of Murmelin: everything comes from the dictionary.\n";
const char* const kDictionarySettingsName = "dicrc";
const char* const kMecabSettingsName = "mecabrc";

// Files MeCab opens from a binary dictionary.
const QStringList& RequiredDictionaryFiles()
{
    static const QStringList files = {QStringLiteral("sys.dic"), QStringLiteral("matrix.bin"),
                                      QStringLiteral("char.bin"), QStringLiteral("unk.dic")};
    return files;
}

// Fields of the dictionary's feature text.
enum Feature { kPos, kPos1, kPos2, kPos3, kConjType, kConjForm, kBase, kReading, kPronunciation };

// Longest stretch handed to MeCab at once; a line or sentence usually ends sooner.
constexpr int kLongestPiece = 1000;

// The dictionary folder with a settings file: links to the dictionary's files.
bool FolderServes(const QString& folder, const QString& dictionary, const QStringList& files)
{
    QFile settings(folder + QLatin1Char('/') + QLatin1String(kDictionarySettingsName));
    if (!settings.open(QIODevice::ReadOnly) || settings.readAll() != kDictionarySettings) return false;
    if (!QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(kMecabSettingsName))) return false;
    for (const QString& f : files) {
        const QFileInfo link(folder + QLatin1Char('/') + f);
        if (!link.isSymLink() || link.symLinkTarget() != QDir(dictionary).absoluteFilePath(f) || !link.exists())
            return false;
    }
    return true;
}

bool WriteFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size() && f.flush();
}

bool FillFolder(const QString& folder, const QString& dictionary, const QStringList& files)
{
    if (!WriteFile(folder + QLatin1Char('/') + QLatin1String(kDictionarySettingsName), kDictionarySettings)
        || !WriteFile(folder + QLatin1Char('/') + QLatin1String(kMecabSettingsName), kMecabSettings))
        return false;
    for (const QString& f : files)
        if (!QFile::link(QDir(dictionary).absoluteFilePath(f), folder + QLatin1Char('/') + f)) return false;
    return true;
}

bool IsHighSurrogate(QChar c) { return c.isHighSurrogate(); }

// Half-width katakana (ｶﾞ) as MeCab knows it (ガ); a voiced mark joins its kana.
void AppendNormalised(const QString& text, QString& out, QList<int>& origin)
{
    out.reserve(text.size());
    origin.reserve(text.size() + 1);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (u == 0xFF9E || u == 0xFF9F) {  // a mark on its own
            out += QChar(u == 0xFF9E ? 0x309B : 0x309C);
            origin += i;
        } else if (u >= 0xFF61 && u <= 0xFF9D) {
            const QString full = QString(c).normalized(QString::NormalizationForm_KC);
            if (i + 1 < text.size() && (text[i + 1].unicode() == 0xFF9E || text[i + 1].unicode() == 0xFF9F)) {
                const QChar mark(text[i + 1].unicode() == 0xFF9E ? 0x3099 : 0x309A);
                const QString joined = (full + mark).normalized(QString::NormalizationForm_C);
                if (joined.size() == 1) {
                    out += joined;
                    origin += i;
                    ++i;
                    continue;
                }
            }
            for (QChar f : full) {
                out += f;
                origin += i;
            }
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[i + 1];
            origin += i;
            origin += i + 1;
            ++i;
        } else if (c.isSurrogate()) {
            out += QChar(QChar::ReplacementCharacter);
            origin += i;
        } else if (u == 0) {
            out += QLatin1Char(' ');
            origin += i;
        } else {
            out += c;
            origin += i;
        }
    }
    origin += text.size();
}

bool IsKanaOrKanji(char32_t u)
{
    return (u >= 0x3040 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF)
        || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0x20000 && u <= 0x3FFFF) || u == 0x3005 /* 々 */;
}

bool HasKanji(QStringView s)
{
    for (char32_t u : s.toUcs4())
        if (IsKanaOrKanji(u) && !(u >= 0x3040 && u <= 0x30FF)) return true;
    return false;
}

bool HasJapanese(QStringView s)
{
    for (char32_t u : s.toUcs4())
        if (IsKanaOrKanji(u)) return true;
    return false;
}

bool EndsInO(const QString& kana)
{
    static const QString oSounds = QStringLiteral("オコゴソゾトドノホボポモヨョロヲ");
    return !kana.isEmpty() && oSounds.contains(kana.back());
}

QChar Katakana(QChar c)
{
    const char16_t u = c.unicode();
    return u >= 0x3041 && u <= 0x3096 ? QChar(char16_t(u + 0x60)) : c;
}

bool IsNumeralChar(QChar c)
{
    static const QString units = QStringLiteral("〇零一二三四五六七八九十百千万億兆");
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= 0xFF10 && u <= 0xFF19) || units.contains(c);
}

bool IsComma(QStringView s) { return s == u"," || s == u"，"; }

bool IsPoint(QStringView s) { return s == u"." || s == u"．"; }

// Digits as the voice can read them itself, with commas and a decimal point.
bool AllArabic(QStringView s)
{
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= 0xFF10 && u <= 0xFF19) || u == u',' || u == 0xFF0C || u == u'.'
              || u == 0xFF0E))
            return false;
    }
    return true;
}

std::u16string U16(QStringView s) { return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), s.size()); }
QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

struct Morpheme {
    int start = 0, end = 0;  // in the normalised text
    QString surface;
    QStringList features;

    QString Field(int i) const { return i < features.size() ? features[i] : QString(); }
    bool HasPronunciation() const
    {
        return features.size() > kPronunciation && features[kPronunciation] != QLatin1String("*");
    }
    QString Pronunciation() const
    {
        QString p = features.value(kPronunciation);
        p.remove(QChar(0x2019));  // the dictionary's mark of a devoiced vowel (デス’)
        return p;
    }
    bool IsNumber() const
    {
        if (surface.isEmpty()) return false;
        for (QChar c : surface)
            if (!IsNumeralChar(c) && c != u',' && c != u'，') return false;
        return (Field(kPos) == u"名詞" && Field(kPos1) == u"数") || AllArabic(surface);
    }
    bool IsCounter() const { return Field(kPos2) == u"助数詞"; }
};

// What one stretch of the text becomes.
struct Unit {
    int start = 0, end = 0;  // in the normalised text
    QString spoken;
    bool japanese = false;   // read as kana: set apart by spaces
    bool month = false;      // a month (三月, ４月): a day after it is a date
};

// Each spoken character gets the place of the written one it stands for:
// kana both sides share (読む → ヨム: ム ↔ む) match one to one, the rest
// (the kanji) shares the spoken characters evenly.
void AppendAligned(const QString& spoken, QStringView written, int writtenStart, const QList<int>& writtenOrigin,
                   SpeechText& out)
{
    const int n = int(spoken.size()), m = int(written.size());
    int prefix = 0;
    while (prefix < n && prefix < m && Katakana(written[prefix]) == spoken[prefix]) ++prefix;
    int suffix = 0;
    while (suffix < n - prefix && suffix < m - prefix && Katakana(written[m - 1 - suffix]) == spoken[n - 1 - suffix])
        ++suffix;
    const int middleSpoken = n - prefix - suffix, middleWritten = m - prefix - suffix;
    for (int i = 0; i < n; ++i) {
        int w;
        if (i < prefix) w = i;
        else if (i >= n - suffix) w = m - (n - i);
        else if (middleWritten > 0) w = prefix + (i - prefix) * middleWritten / middleSpoken;
        else w = std::max(0, prefix - 1);
        out.spoken += spoken[i];
        out.origin += writtenOrigin[writtenStart + std::clamp(w, 0, m - 1)];
    }
}

// A word the dictionary does not know, spelt out by the morphemes from `i`
// on: how many morphemes it takes (0 for none) and its reading.
std::pair<size_t, QString> NewerWord(const std::vector<Morpheme>& ms, size_t i)
{
    static const std::pair<QString, QString> words[] = {
        {QStringLiteral("令和"), QStringLiteral("レーワ")},  // the era from 2019
    };
    for (const auto& [written, reading] : words) {
        QString joined;
        size_t k = i;
        while (k < ms.size() && joined.size() < written.size() && (k == i || ms[k].start == ms[k - 1].end))
            joined += ms[k++].surface;
        if (joined == written) return {k - i, reading};
    }
    return {0, QString()};
}

}  // namespace

struct JapaneseReadings::Impl {
    QLibrary library;
    decltype(&mecab_new) newTagger = nullptr;
    decltype(&mecab_destroy) destroyTagger = nullptr;
    decltype(&mecab_strerror) lastError = nullptr;
    decltype(&mecab_lattice_new) newLattice = nullptr;
    decltype(&mecab_lattice_destroy) destroyLattice = nullptr;
    decltype(&mecab_lattice_set_sentence2) setSentence = nullptr;
    decltype(&mecab_parse_lattice) parse = nullptr;
    decltype(&mecab_lattice_get_bos_node) firstNode = nullptr;
    decltype(&mecab_lattice_get_sentence) sentenceOf = nullptr;
    mecab_t* tagger = nullptr;
    mecab_lattice_t* lattice = nullptr;
    std::unique_ptr<QTemporaryDir> ownFolder;  // when the cache folder could not be used

    ~Impl()
    {
        if (lattice) destroyLattice(lattice);
        if (tagger) destroyTagger(tagger);
    }

    bool Resolve()
    {
        newTagger = reinterpret_cast<decltype(newTagger)>(library.resolve("mecab_new"));
        destroyTagger = reinterpret_cast<decltype(destroyTagger)>(library.resolve("mecab_destroy"));
        lastError = reinterpret_cast<decltype(lastError)>(library.resolve("mecab_strerror"));
        newLattice = reinterpret_cast<decltype(newLattice)>(library.resolve("mecab_lattice_new"));
        destroyLattice = reinterpret_cast<decltype(destroyLattice)>(library.resolve("mecab_lattice_destroy"));
        setSentence = reinterpret_cast<decltype(setSentence)>(library.resolve("mecab_lattice_set_sentence2"));
        parse = reinterpret_cast<decltype(parse)>(library.resolve("mecab_parse_lattice"));
        firstNode = reinterpret_cast<decltype(firstNode)>(library.resolve("mecab_lattice_get_bos_node"));
        sentenceOf = reinterpret_cast<decltype(sentenceOf)>(library.resolve("mecab_lattice_get_sentence"));
        return newTagger && destroyTagger && lastError && newLattice && destroyLattice && setSentence && parse
            && firstNode && sentenceOf;
    }

    std::vector<Morpheme> Analyse(QStringView piece, int pieceStart) const;
    void Read(const std::vector<Morpheme>& morphemes, std::vector<Unit>& units) const;
};

JapaneseReadings::JapaneseReadings(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
JapaneseReadings::~JapaneseReadings() = default;

std::unique_ptr<JapaneseReadings> JapaneseReadings::Open(QString* error)
{
    return Open(Places(), error);
}

std::unique_ptr<JapaneseReadings> JapaneseReadings::Open(const Places& places, QString* error)
{
    auto fail = [error](const QString& message) {
        if (error) *error = message;
        return std::unique_ptr<JapaneseReadings>();
    };
    const QString missingDictionary = QStringLiteral(
        "日本語の読み上げに使う辞書「%1」が見つかりません。open-jtalk-mecab-naist-jdic をインストールしてください。");

    QStringList files = QDir(places.dictionary).entryList(QDir::Files);
    for (const QString& required : RequiredDictionaryFiles())
        if (!files.contains(required)) return fail(missingDictionary.arg(places.dictionary));
    files.removeAll(QLatin1String(kDictionarySettingsName));

    auto impl = std::make_unique<Impl>();
    impl->library.setFileName(places.library);
    if (!impl->library.load() || !impl->Resolve())
        return fail(QStringLiteral("日本語の読み上げに使う形態素解析ライブラリ MeCab（%1）を読み込めません。"
                                   "libmecab2 をインストールしてください。")
                        .arg(places.library));

    // A folder of our own holds the settings file, with links to the
    // dictionary: made once in the cache, rebuilt when the dictionary moved.
    QString folder = places.settingsFolder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
               + QStringLiteral("/murmelin/mecab-naist-jdic");
    if (!FolderServes(folder, places.dictionary, files)) {
        const QString parent = QFileInfo(folder).absolutePath();
        QDir().mkpath(parent);
        auto fresh = std::make_unique<QTemporaryDir>(parent + QStringLiteral("/mecab-XXXXXX"));
        if (!fresh->isValid()) fresh = std::make_unique<QTemporaryDir>();
        if (!fresh->isValid() || !FillFolder(fresh->path(), places.dictionary, files))
            return fail(FileErrors::Message(FileErrors::Doing::Create, fresh->path(), errno));
        if (QFileInfo(folder).isDir()) QDir(folder).removeRecursively();
        if (QDir().rename(fresh->path(), folder)) {
            fresh->setAutoRemove(false);
        } else if (!FolderServes(folder, places.dictionary, files)) {  // another run made it meanwhile, or no room
            folder = fresh->path();
            impl->ownFolder = std::move(fresh);
        }
    }

    const auto openTagger = [&impl](const QString& folder) {
        const QByteArray settingsPath = QFile::encodeName(folder + QLatin1Char('/') + QLatin1String(kMecabSettingsName));
        const QByteArray folderPath = QFile::encodeName(folder);
        QByteArray program = "murmelin", rcOption = "-r", dicOption = "-d";
        char* argv[] = {program.data(), rcOption.data(), const_cast<char*>(settingsPath.constData()),
                        dicOption.data(), const_cast<char*>(folderPath.constData())};
        impl->tagger = impl->newTagger(5, argv);
    };
    openTagger(folder);
    if (!impl->tagger && !impl->ownFolder) {
        // The shared folder may have been remade by another run meanwhile: use one of our own.
        auto own = std::make_unique<QTemporaryDir>();
        if (own->isValid() && FillFolder(own->path(), places.dictionary, files)) {
            openTagger(own->path());
            impl->ownFolder = std::move(own);
        }
    }
    if (!impl->tagger)
        return fail(QStringLiteral("日本語の読み上げに使う辞書「%1」を開けませんでした（%2）。"
                                   "open-jtalk-mecab-naist-jdic を入れ直してください。")
                        .arg(places.dictionary, QString::fromLocal8Bit(impl->lastError(nullptr))));
    impl->lattice = impl->newLattice();
    if (!impl->lattice) return fail(QStringLiteral("日本語の読み上げの準備ができませんでした（メモリー不足）。"));
    return std::unique_ptr<JapaneseReadings>(new JapaneseReadings(std::move(impl)));
}

std::vector<Morpheme> JapaneseReadings::Impl::Analyse(QStringView piece, int pieceStart) const
{
    const QByteArray utf8 = piece.toUtf8();
    // Byte offset → index in the piece.
    std::vector<int> index(size_t(utf8.size()) + 1, int(piece.size()));
    {
        int byte = 0;
        for (int i = 0; i < piece.size(); ++i) {
            char32_t u = piece[i].unicode();
            int width = 1;
            if (piece[i].isHighSurrogate() && i + 1 < piece.size()) {
                u = QChar::surrogateToUcs4(piece[i], piece[i + 1]);
                width = 2;
            }
            const int bytes = u < 0x80 ? 1 : u < 0x800 ? 2 : u < 0x10000 ? 3 : 4;
            for (int b = 0; b < bytes && byte < utf8.size(); ++b) index[size_t(byte++)] = i;
            i += width - 1;
        }
    }

    std::vector<Morpheme> morphemes;
    setSentence(lattice, utf8.constData(), size_t(utf8.size()));
    if (!parse(tagger, lattice)) return morphemes;
    // Surfaces point into the sentence as the lattice holds it.
    const char* sentence = sentenceOf(lattice);
    for (const mecab_node_t* node = firstNode(lattice); node; node = node->next) {
        if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE || node->length == 0) continue;
        const auto begin = size_t(node->surface - sentence);
        Morpheme m;
        m.start = pieceStart + index[begin];
        m.end = pieceStart + index[std::min(begin + node->length, size_t(utf8.size()))];
        m.surface = QString::fromUtf8(node->surface, node->length);
        m.features = QString::fromUtf8(node->feature).split(QLatin1Char(','));
        morphemes.push_back(std::move(m));
    }
    return morphemes;
}

void JapaneseReadings::Impl::Read(const std::vector<Morpheme>& ms, std::vector<Unit>& units) const
{
    bool afterMonth = false;
    for (size_t i = 0; i < ms.size();) {
        // A number, and the counter after it.
        if (ms[i].IsNumber() && !IsComma(ms[i].surface)) {
            size_t end = i + 1;
            // A decimal point only between digits: 3.5
            const auto pointBetweenDigits = [&ms](size_t k) {
                return IsPoint(ms[k].surface) && AllArabic(ms[k - 1].surface) && k + 1 < ms.size()
                    && ms[k + 1].start == ms[k].end && AllArabic(ms[k + 1].surface);
            };
            while (end < ms.size() && ms[end].start == ms[end - 1].end
                   && (ms[end].IsNumber() || pointBetweenDigits(end)))
                ++end;
            while (end > i + 1 && IsComma(ms[end - 1].surface)) --end;
            QString written;
            for (size_t k = i; k < end; ++k) written += ms[k].surface;
            const std::optional<long long> value = JapaneseNumerals::Parse(U16(written));
            const QString decimal = value ? QString() : Q(JapaneseNumerals::DecimalReading(U16(written)));
            if (value || !decimal.isEmpty()) {
                Unit u{ms[i].start, ms[end - 1].end, {}, true, false};
                bool counted = false;
                if (end < ms.size() && ms[end].start == u.end) {
                    // The counter may be part of a morpheme (時半) or span two (時 間).
                    QString after;
                    for (size_t k = end; k < ms.size() && k < end + 3 && ms[k].start == ms[end].start + after.size(); ++k)
                        after += ms[k].surface;
                    const int length = JapaneseNumerals::CounterLength(U16(after));
                    int covered = 0;
                    size_t k = end;
                    while (length > 0 && covered < length && k < ms.size()) covered += int(ms[k++].surface.size());
                    QString rest;
                    bool fits = length > 0 && covered == length;
                    if (length > 0 && covered > length) {  // ends inside morpheme k - 1
                        const Morpheme& last = ms[k - 1];
                        const QString counterReading = Q(JapaneseNumerals::CounterReading(U16(after.left(length))));
                        const QString whole = last.Pronunciation();
                        if (k - 1 == end && last.HasPronunciation() && whole.startsWith(counterReading)) {
                            rest = whole.mid(counterReading.size());
                            fits = true;
                        }
                    }
                    if (fits) {
                        // After a decimal the counter keeps its own sound: 3.5キロ, 1.5倍.
                        const std::u16string counter = U16(after.left(length));
                        const QString spoken = value ? Q(JapaneseNumerals::WithCounter(*value, counter, afterMonth))
                                                     : decimal + Q(JapaneseNumerals::CounterReading(counter));
                        if (!spoken.isEmpty()) {
                            u.spoken = spoken + rest;
                            u.end = ms[k - 1].end;
                            u.month = after.startsWith(u'月');
                            counted = true;
                            end = k;
                        }
                    }
                    if (!counted && ms[end].IsCounter() && ms[end].HasPronunciation()) {
                        // A counter written in kanji takes the usual sound changes; a
                        // borrowed one (キロ, グラム) is said as it is.
                        const QString reading = ms[end].Pronunciation();
                        u.spoken = !value                          ? decimal + reading
                                 : HasKanji(ms[end].surface) ? Q(JapaneseNumerals::WithOtherCounter(*value, U16(reading)))
                                                                   : Q(JapaneseNumerals::Reading(*value)) + reading;
                        u.end = ms[end].end;
                        counted = true;
                        ++end;
                    }
                }
                if (!counted) {
                    if (AllArabic(written)) {  // the voice reads plain digits itself
                        u.spoken = written;
                        u.japanese = false;
                    } else {
                        u.spoken = value ? Q(JapaneseNumerals::Reading(*value)) : decimal;
                    }
                }
                if (value && u.japanese)
                    u.spoken = Q(JapaneseNumerals::AsWritten(U16(written), U16(u.spoken)));
                afterMonth = u.month;
                units.push_back(std::move(u));
                i = end;
                continue;
            }
        }
        // Words newer than the dictionary, which cuts them into pieces.
        if (const auto [length, reading] = NewerWord(ms, i); length > 0) {
            units.push_back({ms[i].start, ms[i + length - 1].end, reading, true, false});
            afterMonth = false;
            i += length;
            continue;
        }

        // 何 before a counter: 何本 ナンボン.
        const Morpheme& m = ms[i];
        if (m.surface == u"何" && i + 1 < ms.size() && ms[i + 1].start == m.end) {
            const int length = JapaneseNumerals::CounterLength(U16(ms[i + 1].surface));
            if (length == ms[i + 1].surface.size()) {
                const QString spoken =
                    Q(JapaneseNumerals::WithCounter(JapaneseNumerals::kHowMany, U16(ms[i + 1].surface)));
                if (!spoken.isEmpty()) {
                    units.push_back({m.start, ms[i + 1].end, spoken, true, false});
                    afterMonth = false;
                    i += 2;
                    continue;
                }
            }
        }

        // The volitional う after an o sound lengthens it: マショ ウ → マショー.
        if (m.surface == u"う" && m.Field(kPos) == u"助動詞" && !units.empty() && units.back().end == m.start
            && units.back().japanese && EndsInO(units.back().spoken)) {
            units.back().spoken += u'ー';
            units.back().end = m.end;
            ++i;
            continue;
        }
        Unit u{m.start, m.end, m.surface, HasJapanese(m.surface), false};
        const QString particle = m.Field(kPos) == u"助詞" ? Q(JapaneseNumerals::ParticleSound(U16(m.surface))) : QString();
        if (!particle.isEmpty()) {
            u.spoken = particle;
        } else if (m.Field(kPos) == u"記号") {
            // Punctuation and symbols stay as written: the voice pauses on them.
        } else if (m.HasPronunciation() && HasJapanese(m.Pronunciation())) {
            u.spoken = m.Pronunciation();
            if (u.spoken == u"ヲ") u.spoken = QStringLiteral("オ");
            // The dictionary prefers the formal ニッポン; everyday speech says ニホン.
            if (m.surface == u"日本" && u.spoken == u"ニッポン") u.spoken = QStringLiteral("ニホン");
            // 十分 is "enough" to the dictionary, ten minutes before かかる, 前, おき...
            if (m.surface == u"十分" && i + 1 < ms.size()
                && JapaneseNumerals::MeansMinutes(U16(ms[i + 1].surface), U16(ms[i + 1].Field(kBase))))
                u.spoken = Q(JapaneseNumerals::WithCounter(10, u"分"));
            u.japanese = true;
            u.month = m.surface.endsWith(u'月') && u.spoken.endsWith(QStringLiteral("ガツ"));
        }
        afterMonth = u.month;
        units.push_back(std::move(u));
        ++i;
    }
}

SpeechText JapaneseReadings::Speakable(const QString& text) const
{
    QString normal;
    QList<int> normalOrigin;
    AppendNormalised(text, normal, normalOrigin);

    SpeechText out;
    out.spoken.reserve(normal.size() * 2);
    out.origin.reserve(normal.size() * 2 + 1);
    int written = 0;            // normalised text handed out so far
    bool lastJapanese = false;  // the last unit was read as kana
    std::vector<Unit> units;
    for (int pieceStart = 0; pieceStart < normal.size();) {
        // Pieces end after a line or sentence, so MeCab's lattice stays small.
        int pieceEnd = pieceStart;
        while (pieceEnd < normal.size() && pieceEnd - pieceStart < kLongestPiece) {
            const QChar c = normal[pieceEnd++];
            if (c == u'\n' || c == u'。' || c == u'！' || c == u'？' || c == u'!' || c == u'?') break;
        }
        if (pieceEnd < normal.size() && IsHighSurrogate(normal[pieceEnd - 1])) ++pieceEnd;
        units.clear();
        impl_->Read(impl_->Analyse(QStringView(normal).mid(pieceStart, pieceEnd - pieceStart), pieceStart), units);
        for (const Unit& u : units) {
            if (u.start > written) {  // what MeCab passed over: spaces
                for (int i = written; i < u.start; ++i) {
                    out.spoken += normal[i];
                    out.origin += normalOrigin[i];
                }
                lastJapanese = false;
            } else if ((lastJapanese || u.japanese) && !out.spoken.isEmpty()) {
                out.spoken += QLatin1Char(' ');
                out.origin += normalOrigin[u.start];
            }
            if (u.japanese)
                AppendAligned(u.spoken, QStringView(normal).mid(u.start, u.end - u.start), u.start, normalOrigin, out);
            else
                for (int i = u.start; i < u.end; ++i) {
                    out.spoken += normal[i];
                    out.origin += normalOrigin[i];
                }
            written = u.end;
            lastJapanese = u.japanese;
        }
        pieceStart = pieceEnd;
    }
    for (int i = written; i < normal.size(); ++i) {  // trailing spaces
        out.spoken += normal[i];
        out.origin += normalOrigin[i];
    }
    out.origin += int(text.size());
    return out;
}
