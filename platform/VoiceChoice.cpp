#include "platform/VoiceChoice.h"

#include <QHash>
#include <QStringView>

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace VoiceChoice {

namespace {

bool IsJapanese(char32_t c, QChar::Script script)
{
    if (script == QChar::Script_Hiragana || script == QChar::Script_Katakana || script == QChar::Script_Han)
        return true;
    // The long-vowel mark and the iteration marks belong to no script.
    return c == 0x30FC || c == 0xFF70 || c == 0x3005 || c == 0x309D || c == 0x309E || c == 0x30FD || c == 0x30FE;
}

QString LanguageOfScript(QChar::Script script)
{
    switch (script) {
    case QChar::Script_Latin: return u"en"_s;
    case QChar::Script_Cyrillic: return u"ru"_s;
    case QChar::Script_Greek: return u"el"_s;
    case QChar::Script_Hangul: return u"ko"_s;
    case QChar::Script_Arabic: return u"ar"_s;
    case QChar::Script_Hebrew: return u"he"_s;
    case QChar::Script_Thai: return u"th"_s;
    case QChar::Script_Devanagari: return u"hi"_s;
    case QChar::Script_Bengali: return u"bn"_s;
    case QChar::Script_Tamil: return u"ta"_s;
    case QChar::Script_Telugu: return u"te"_s;
    case QChar::Script_Kannada: return u"kn"_s;
    case QChar::Script_Malayalam: return u"ml"_s;
    case QChar::Script_Gujarati: return u"gu"_s;
    case QChar::Script_Gurmukhi: return u"pa"_s;
    case QChar::Script_Oriya: return u"or"_s;
    case QChar::Script_Sinhala: return u"si"_s;
    case QChar::Script_Georgian: return u"ka"_s;
    case QChar::Script_Armenian: return u"hy"_s;
    case QChar::Script_Ethiopic: return u"am"_s;
    case QChar::Script_Myanmar: return u"my"_s;
    default: return QString();
    }
}

} // namespace

QString LanguageOf(const QString& line)
{
    QHash<QString, int> letters;
    int japanese = 0;
    for (char32_t c : QStringView(line).toUcs4()) {
        const QChar::Script script = QChar::script(c);
        if (IsJapanese(c, script)) {
            japanese += 2;
            continue;
        }
        if (!QChar::isLetter(c))
            continue;
        const QString language = LanguageOfScript(script);
        if (!language.isEmpty())
            ++letters[language];
    }
    QString best = u"en"_s;
    int most = 0;
    for (auto it = letters.cbegin(); it != letters.cend(); ++it)
        if (it.value() > most || (it.value() == most && it.key() == u"en"_s)) {
            best = it.key();
            most = it.value();
        }
    if (japanese > 0 && japanese >= most)
        return u"ja"_s;
    return best;
}

QString JapaneseName(const QString& code)
{
    static const QHash<QString, QString> names{
        {u"af"_s, u"アフリカーンス語"_s}, {u"am"_s, u"アムハラ語"_s}, {u"an"_s, u"アラゴン語"_s},
        {u"ar"_s, u"アラビア語"_s}, {u"as"_s, u"アッサム語"_s}, {u"az"_s, u"アゼルバイジャン語"_s},
        {u"ba"_s, u"バシキール語"_s}, {u"be"_s, u"ベラルーシ語"_s}, {u"bg"_s, u"ブルガリア語"_s},
        {u"bn"_s, u"ベンガル語"_s}, {u"bs"_s, u"ボスニア語"_s}, {u"ca"_s, u"カタルーニャ語"_s},
        {u"cmn"_s, u"中国語（北京語）"_s}, {u"cs"_s, u"チェコ語"_s}, {u"cy"_s, u"ウェールズ語"_s},
        {u"da"_s, u"デンマーク語"_s}, {u"de"_s, u"ドイツ語"_s}, {u"el"_s, u"ギリシャ語"_s},
        {u"en"_s, u"英語"_s}, {u"en-gb"_s, u"英語（イギリス）"_s}, {u"en-us"_s, u"英語（アメリカ）"_s},
        {u"eo"_s, u"エスペラント"_s}, {u"es"_s, u"スペイン語"_s}, {u"es-419"_s, u"スペイン語（中南米）"_s},
        {u"et"_s, u"エストニア語"_s}, {u"eu"_s, u"バスク語"_s}, {u"fa"_s, u"ペルシア語"_s},
        {u"fi"_s, u"フィンランド語"_s}, {u"fr"_s, u"フランス語"_s}, {u"fr-be"_s, u"フランス語（ベルギー）"_s},
        {u"fr-ch"_s, u"フランス語（スイス）"_s}, {u"ga"_s, u"アイルランド語"_s}, {u"gd"_s, u"スコットランド・ゲール語"_s},
        {u"gu"_s, u"グジャラート語"_s}, {u"he"_s, u"ヘブライ語"_s}, {u"hi"_s, u"ヒンディー語"_s},
        {u"hr"_s, u"クロアチア語"_s}, {u"hu"_s, u"ハンガリー語"_s}, {u"hy"_s, u"アルメニア語"_s},
        {u"id"_s, u"インドネシア語"_s}, {u"is"_s, u"アイスランド語"_s}, {u"it"_s, u"イタリア語"_s},
        {u"ja"_s, u"日本語"_s}, {u"ka"_s, u"ジョージア語"_s}, {u"kk"_s, u"カザフ語"_s},
        {u"kn"_s, u"カンナダ語"_s}, {u"ko"_s, u"韓国語"_s}, {u"ky"_s, u"キルギス語"_s},
        {u"la"_s, u"ラテン語"_s}, {u"lt"_s, u"リトアニア語"_s}, {u"lv"_s, u"ラトビア語"_s},
        {u"mk"_s, u"マケドニア語"_s}, {u"ml"_s, u"マラヤーラム語"_s}, {u"mr"_s, u"マラーティー語"_s},
        {u"ms"_s, u"マレー語"_s}, {u"mt"_s, u"マルタ語"_s}, {u"my"_s, u"ミャンマー語"_s},
        {u"nb"_s, u"ノルウェー語"_s}, {u"ne"_s, u"ネパール語"_s}, {u"nl"_s, u"オランダ語"_s},
        {u"or"_s, u"オディア語"_s}, {u"pa"_s, u"パンジャブ語"_s}, {u"pl"_s, u"ポーランド語"_s},
        {u"pt"_s, u"ポルトガル語"_s}, {u"pt-br"_s, u"ポルトガル語（ブラジル）"_s}, {u"ro"_s, u"ルーマニア語"_s},
        {u"ru"_s, u"ロシア語"_s}, {u"si"_s, u"シンハラ語"_s}, {u"sk"_s, u"スロバキア語"_s},
        {u"sl"_s, u"スロベニア語"_s}, {u"sq"_s, u"アルバニア語"_s}, {u"sr"_s, u"セルビア語"_s},
        {u"sv"_s, u"スウェーデン語"_s}, {u"sw"_s, u"スワヒリ語"_s}, {u"ta"_s, u"タミル語"_s},
        {u"te"_s, u"テルグ語"_s}, {u"th"_s, u"タイ語"_s}, {u"tr"_s, u"トルコ語"_s},
        {u"tt"_s, u"タタール語"_s}, {u"uk"_s, u"ウクライナ語"_s}, {u"ur"_s, u"ウルドゥー語"_s},
        {u"uz"_s, u"ウズベク語"_s}, {u"vi"_s, u"ベトナム語"_s}, {u"yue"_s, u"中国語（広東語）"_s},
        {u"bpy"_s, u"ビシュヌプリヤ・マニプリ語"_s}, {u"chr"_s, u"チェロキー語"_s}, {u"cv"_s, u"チュヴァシ語"_s},
        {u"gn"_s, u"グアラニー語"_s}, {u"grc"_s, u"古代ギリシャ語"_s}, {u"hak"_s, u"客家語"_s},
        {u"haw"_s, u"ハワイ語"_s}, {u"ht"_s, u"ハイチ語"_s}, {u"hyw"_s, u"西アルメニア語"_s},
        {u"ia"_s, u"インターリングア"_s}, {u"io"_s, u"イド語"_s}, {u"jbo"_s, u"ロジバン"_s},
        {u"kl"_s, u"グリーンランド語"_s}, {u"kok"_s, u"コンカニ語"_s}, {u"ku"_s, u"クルド語"_s},
        {u"lb"_s, u"ルクセンブルク語"_s}, {u"lfn"_s, u"リングア・フランカ・ノバ"_s}, {u"ltg"_s, u"ラトガリア語"_s},
        {u"mi"_s, u"マオリ語"_s}, {u"nci"_s, u"古典ナワトル語"_s}, {u"nog"_s, u"ノガイ語"_s},
        {u"om"_s, u"オロモ語"_s}, {u"pap"_s, u"パピアメント語"_s}, {u"piqd"_s, u"クリンゴン語"_s},
        {u"py"_s, u"パイアッシュ語（人工言語）"_s}, {u"qdb"_s, u"ベルター語（人工言語）"_s}, {u"qu"_s, u"ケチュア語"_s},
        {u"quc"_s, u"キチェ語"_s}, {u"qya"_s, u"クウェンヤ"_s}, {u"sd"_s, u"シンド語"_s},
        {u"shn"_s, u"シャン語"_s}, {u"sjn"_s, u"シンダリン"_s}, {u"smj"_s, u"ルレ・サーミ語"_s},
        {u"tk"_s, u"トルクメン語"_s}, {u"tn"_s, u"ツワナ語"_s}, {u"ug"_s, u"ウイグル語"_s},
        {u"fa-latn"_s, u"ペルシア語（ラテン文字）"_s}, {u"ru-lv"_s, u"ロシア語（ラトビア）"_s},
        {u"cmn-latn-pinyin"_s, u"中国語（ピンイン）"_s}, {u"yue-latn-jyutping"_s, u"広東語（ジュッピン）"_s},
        {u"vi-vn-x-central"_s, u"ベトナム語（中部）"_s}, {u"vi-vn-x-south"_s, u"ベトナム語（南部）"_s},
        {u"chr-us-qaaa-x-west"_s, u"チェロキー語"_s},
        {u"zh"_s, u"中国語"_s},
    };
    const QString lower = code.toLower();
    if (const auto it = names.constFind(lower); it != names.cend())
        return it.value();
    // A regional variant without a name of its own: the language's name and the code.
    const QString language = lower.section(u'-', 0, 0);
    if (const auto it = names.constFind(language); it != names.cend())
        return it.value() + u' ' + code;
    return code;
}

} // namespace VoiceChoice
