// How well the built-in voice is told to read Japanese: learner sentences
// (numbers with counters, particles, dates, times, prices) through the
// readings step, against kana checked by hand as they are pronounced
// (long vowels as ー, the particles は へ を as ワ エ オ). Prints the share of
// sentences read exactly, the kana error rate (edit distance over the
// expected length, spaces ignored), the share of numbers with counters read
// right (found through the spoken characters' places in the text), the time
// per sentence, and what the readings change in espeak-ng's Japanese voice.

#include "speech/JapaneseReadings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Sentence {
    QString text;
    QString kana;   // as it should be said
    QString items;  // numbers with counters: "written=kana;written=kana"
};

const std::vector<Sentence>& Sentences()
{
    static const std::vector<Sentence> sentences = {
        {u"今日は良い天気です。"_s, u"キョーワヨイテンキデス。"_s, {}},
        {u"私は学生です。"_s, u"ワタシワガクセーデス。"_s, {}},
        {u"毎朝七時に起きます。"_s, u"マイアサシチジニオキマス。"_s, u"七時=シチジ"_s},
        {u"駅まで歩いて十分かかります。"_s, u"エキマデアルイテジュップンカカリマス。"_s, u"十分=ジュップン"_s},
        {u"コーヒーを三杯飲みました。"_s, u"コーヒーオサンバイノミマシタ。"_s, u"三杯=サンバイ"_s},
        {u"りんごを六個買いました。"_s, u"リンゴオロッコカイマシタ。"_s, u"六個=ロッコ"_s},
        {u"鉛筆が八本あります。"_s, u"エンピツガハッポンアリマス。"_s, u"八本=ハッポン"_s},
        {u"犬が一匹います。"_s, u"イヌガイッピキイマス。"_s, u"一匹=イッピキ"_s},
        {u"家族は四人です。"_s, u"カゾクワヨニンデス。"_s, u"四人=ヨニン"_s},
        {u"兄は二十歳です。"_s, u"アニワハタチデス。"_s, u"二十歳=ハタチ"_s},
        {u"誕生日は三月三日です。"_s, u"タンジョービワサンガツミッカデス。"_s, u"三月=サンガツ;三日=ミッカ"_s},
        {u"今日は四月一日です。"_s, u"キョーワシガツツイタチデス。"_s, u"四月=シガツ;一日=ツイタチ"_s},
        {u"会議は午後三時半からです。"_s, u"カイギワゴゴサンジハンカラデス。"_s, u"三時半=サンジハン"_s},
        {u"このシャツは三千円です。"_s, u"コノシャツワサンゼンエンデス。"_s, u"三千円=サンゼンエン"_s},
        {u"本を二冊借りました。"_s, u"ホンオニサツカリマシタ。"_s, u"二冊=ニサツ"_s},
        {u"図書館は五階にあります。"_s, u"トショカンワゴカイニアリマス。"_s, u"五階=ゴカイ"_s},
        {u"一週間に三回泳ぎます。"_s, u"イッシューカンニサンカイオヨギマス。"_s, u"一週間=イッシューカン;三回=サンカイ"_s},
        {u"日本に来て一年になります。"_s, u"ニホンニキテイチネンニナリマス。"_s, u"一年=イチネン"_s},
        {u"東京へ行きたいです。"_s, u"トーキョーエイキタイデス。"_s, {}},
        {u"駅の前で友達を待っています。"_s, u"エキノマエデトモダチオマッテイマス。"_s, {}},
        {u"電車は八時十五分に出ます。"_s, u"デンシャワハチジジューゴフンニデマス。"_s, u"八時=ハチジ;十五分=ジューゴフン"_s},
        {u"切符を一枚ください。"_s, u"キップオイチマイクダサイ。"_s, u"一枚=イチマイ"_s},
        {u"水を一杯ください。"_s, u"ミズオイッパイクダサイ。"_s, u"一杯=イッパイ"_s},
        {u"部屋に窓が二つあります。"_s, u"ヘヤニマドガフタツアリマス。"_s, u"二つ=フタツ"_s},
        {u"卵を三つ買ってください。"_s, u"タマゴオミッツカッテクダサイ。"_s, u"三つ=ミッツ"_s},
        {u"2024年に日本語の勉強を始めました。"_s, u"ニセンニジューヨネンニニホンゴノベンキョーオハジメマシタ。"_s,
         u"2024年=ニセンニジューヨネン"_s},
        {u"毎日一時間日本語を勉強します。"_s, u"マイニチイチジカンニホンゴオベンキョーシマス。"_s, u"一時間=イチジカン"_s},
        {u"昨日は雨でした。"_s, u"キノーワアメデシタ。"_s, {}},
        {u"明日は何時に来ますか。"_s, u"アシタワナンジニキマスカ。"_s, u"何時=ナンジ"_s},
        {u"このりんごはいくらですか。"_s, u"コノリンゴワイクラデスカ。"_s, {}},
        {u"一つ百円です。"_s, u"ヒトツヒャクエンデス。"_s, u"一つ=ヒトツ;百円=ヒャクエン"_s},
        {u"全部で八百円です。"_s, u"ゼンブデハッピャクエンデス。"_s, u"八百円=ハッピャクエン"_s},
        {u"弟は十歳です。"_s, u"オトートワジュッサイデス。"_s, u"十歳=ジュッサイ"_s},
        {u"猫が三匹寝ています。"_s, u"ネコガサンビキネテイマス。"_s, u"三匹=サンビキ"_s},
        {u"ビールを四本お願いします。"_s, u"ビールオヨンホンオネガイシマス。"_s, u"四本=ヨンホン"_s},
        {u"旅行は三泊四日です。"_s, u"リョコーワサンパクヨッカデス。"_s, u"三泊=サンパク;四日=ヨッカ"_s},
        {u"夏休みは八月二十日までです。"_s, u"ナツヤスミワハチガツハツカマデデス。"_s, u"八月=ハチガツ;二十日=ハツカ"_s},
        {u"九月九日は休みです。"_s, u"クガツココノカワヤスミデス。"_s, u"九月=クガツ;九日=ココノカ"_s},
        {u"父は毎晩十一時に寝ます。"_s, u"チチワマイバンジューイチジニネマス。"_s, u"十一時=ジューイチジ"_s},
        {u"映画は二時間半でした。"_s, u"エーガワニジカンハンデシタ。"_s, u"二時間半=ニジカンハン"_s},
        {u"学校まで自転車で二十分です。"_s, u"ガッコーマデジテンシャデニジュップンデス。"_s, u"二十分=ニジュップン"_s},
        {u"先生に手紙を書きました。"_s, u"センセーニテガミオカキマシタ。"_s, {}},
        {u"私の部屋は三階です。"_s, u"ワタシノヘヤワサンガイデス。"_s, u"三階=サンガイ"_s},
        {u"ここから駅まで一キロぐらいです。"_s, u"ココカラエキマデイチキログライデス。"_s, u"一キロ=イチキロ"_s},
        {u"毎週土曜日にテニスをします。"_s, u"マイシュードヨービニテニスオシマス。"_s, {}},
        {u"妹は六歳になりました。"_s, u"イモートワロクサイニナリマシタ。"_s, u"六歳=ロクサイ"_s},
        {u"友達と一緒に晩ご飯を食べました。"_s, u"トモダチトイッショニバンゴハンオタベマシタ。"_s, {}},
        {u"時計を見ると九時でした。"_s, u"トケーオミルトクジデシタ。"_s, u"九時=クジ"_s},
        {u"バスは十分おきに来ます。"_s, u"バスワジュップンオキニキマス。"_s, u"十分=ジュップン"_s},
        {u"一万円札しかありません。"_s, u"イチマンエンサツシカアリマセン。"_s, u"一万円=イチマンエン"_s},
        {u"令和元年に生まれました。"_s, u"レーワガンネンニウマレマシタ。"_s, {}},
        {u"この本は一千円です。"_s, u"コノホンワイッセンエンデス。"_s, u"一千円=イッセンエン"_s},
        {u"ランチは千円でした。"_s, u"ランチワセンエンデシタ。"_s, u"千円=センエン"_s},
        {u"財布に一万円あります。"_s, u"サイフニイチマンエンアリマス。"_s, u"一万円=イチマンエン"_s},
        {u"兄弟は何人いますか。"_s, u"キョーダイワナンニンイマスカ。"_s, u"何人=ナンニン"_s},
        {u"私は毎朝パンを二枚食べます。"_s, u"ワタシワマイアサパンオニマイタベマス。"_s, u"二枚=ニマイ"_s},
        {u"週に二回、ピアノを習っています。"_s, u"シューニニカイ、ピアノオナラッテイマス。"_s, u"二回=ニカイ"_s},
        {u"十月十日は私の誕生日です。"_s, u"ジューガツトーカワワタシノタンジョービデス。"_s, u"十月=ジューガツ;十日=トーカ"_s},
        {u"五人で七千円でした。"_s, u"ゴニンデナナセンエンデシタ。"_s, u"五人=ゴニン;七千円=ナナセンエン"_s},
        {u"鉛筆を十本買いました。"_s, u"エンピツオジュッポンカイマシタ。"_s, u"十本=ジュッポン"_s},
        {u"ホテルに二泊しました。"_s, u"ホテルニニハクシマシタ。"_s, u"二泊=ニハク"_s},
        {u"電話番号を教えてください。"_s, u"デンワバンゴーオオシエテクダサイ。"_s, {}},
        {u"三人の子供がいます。"_s, u"サンニンノコドモガイマス。"_s, u"三人=サンニン"_s},
        {u"一日に水を二リットル飲みます。"_s, u"イチニチニミズオニリットルノミマス。"_s, u"一日=イチニチ;二リットル=ニリットル"_s},
        {u"朝ご飯は七時半です。"_s, u"アサゴハンワシチジハンデス。"_s, u"七時半=シチジハン"_s},
        {u"京都には古いお寺がたくさんあります。"_s, u"キョートニワフルイオテラガタクサンアリマス。"_s, {}},
        {u"駅で三十分待ちました。"_s, u"エキデサンジュップンマチマシタ。"_s, u"三十分=サンジュップン"_s},
        {u"夏は暑いですね。"_s, u"ナツワアツイデスネ。"_s, {}},
        {u"一月一日は元日です。"_s, u"イチガツツイタチワガンジツデス。"_s, u"一月=イチガツ;一日=ツイタチ"_s},
        {u"三月十四日はホワイトデーです。"_s, u"サンガツジューヨッカワホワイトデーデス。"_s, u"三月=サンガツ;十四日=ジューヨッカ"_s},
        {u"1,500円のランチを食べました。"_s, u"センゴヒャクエンノランチオタベマシタ。"_s, u"1,500円=センゴヒャクエン"_s},
        {u"8月6日に広島へ行きました。"_s, u"ハチガツムイカニヒロシマエイキマシタ。"_s, u"8月=ハチガツ;6日=ムイカ"_s},
        {u"今、5時40分です。"_s, u"イマ、ゴジヨンジュップンデス。"_s, u"5時=ゴジ;40分=ヨンジュップン"_s},
        {u"彼は30歳です。"_s, u"カレワサンジュッサイデス。"_s, u"30歳=サンジュッサイ"_s},
    };
    return sentences;
}

// Written after the rules were fitted to the set above, to see how they do on
// sentences they were not fitted to.
const std::vector<Sentence>& FreshSentences()
{
    static const std::vector<Sentence> sentences = {
        {u"私は毎日八時間寝ます。"_s, u"ワタシワマイニチハチジカンネマス。"_s, u"八時間=ハチジカン"_s},
        {u"教室に学生が二十人います。"_s, u"キョーシツニガクセーガニジューニンイマス。"_s, u"二十人=ニジューニン"_s},
        {u"新しい靴を一足買いました。"_s, u"アタラシイクツオイッソクカイマシタ。"_s, u"一足=イッソク"_s},
        {u"この本は千五百円でした。"_s, u"コノホンワセンゴヒャクエンデシタ。"_s, u"千五百円=センゴヒャクエン"_s},
        {u"毎月五日に給料をもらいます。"_s, u"マイツキイツカニキューリョーオモライマス。"_s, u"五日=イツカ"_s},
        {u"冷蔵庫に牛乳が二本あります。"_s, u"レーゾーコニギューニューガニホンアリマス。"_s, u"二本=ニホン"_s},
        {u"駅から歩いて五分です。"_s, u"エキカラアルイテゴフンデス。"_s, u"五分=ゴフン"_s},
        {u"山田さんは六月十日に結婚します。"_s, u"ヤマダサンワロクガツトーカニケッコンシマス。"_s, u"六月=ロクガツ;十日=トーカ"_s},
        {u"子供の時、犬を二匹飼っていました。"_s, u"コドモノトキ、イヌオニヒキカッテイマシタ。"_s, u"二匹=ニヒキ"_s},
        {u"授業は九時から始まります。"_s, u"ジュギョーワクジカラハジマリマス。"_s, u"九時=クジ"_s},
        {u"箱の中にみかんが七つあります。"_s, u"ハコノナカニミカンガナナツアリマス。"_s, u"七つ=ナナツ"_s},
        {u"週末は友達の家に一泊します。"_s, u"シューマツワトモダチノイエニイッパクシマス。"_s, u"一泊=イッパク"_s},
        {u"この映画は三回見ました。"_s, u"コノエーガワサンカイミマシタ。"_s, u"三回=サンカイ"_s},
        {u"昨日、手紙を四通書きました。"_s, u"キノー、テガミオヨンツーカキマシタ。"_s, u"四通=ヨンツー"_s},
        {u"私の誕生日は十二月二十四日です。"_s, u"ワタシノタンジョービワジューニガツニジューヨッカデス。"_s,
         u"十二月=ジューニガツ;二十四日=ニジューヨッカ"_s},
        {u"祖母は八十歳です。"_s, u"ソボワハチジュッサイデス。"_s, u"八十歳=ハチジュッサイ"_s},
        {u"ケーキを一切れ食べました。"_s, u"ケーキオヒトキレタベマシタ。"_s, u"一切れ=ヒトキレ"_s},
        {u"次のバスは十時二十分に来ます。"_s, u"ツギノバスワジュージニジュップンニキマス。"_s, u"十時=ジュージ;二十分=ニジュップン"_s},
        {u"日本語のクラスは週に三回あります。"_s, u"ニホンゴノクラスワシューニサンカイアリマス。"_s, u"三回=サンカイ"_s},
        {u"このホテルは一泊一万円です。"_s, u"コノホテルワイッパクイチマンエンデス。"_s, u"一泊=イッパク;一万円=イチマンエン"_s},
        {u"会社まで電車で四十分かかります。"_s, u"カイシャマデデンシャデヨンジュップンカカリマス。"_s, u"四十分=ヨンジュップン"_s},
        {u"朝、コーヒーを一杯飲みます。"_s, u"アサ、コーヒーオイッパイノミマス。"_s, u"一杯=イッパイ"_s},
        {u"今年の夏は暑かったです。"_s, u"コトシノナツワアツカッタデス。"_s, {}},
        {u"宿題は明日までに出してください。"_s, u"シュクダイワアシタマデニダシテクダサイ。"_s, {}},
        {u"三年前に大学を卒業しました。"_s, u"サンネンマエニダイガクオソツギョーシマシタ。"_s, u"三年=サンネン"_s},
        {u"6時に駅の前で会いましょう。"_s, u"ロクジニエキノマエデアイマショー。"_s, u"6時=ロクジ"_s},
        {u"この部屋には椅子が十脚あります。"_s, u"コノヘヤニワイスガジュッキャクアリマス。"_s, u"十脚=ジュッキャク"_s},
        {u"三百グラムの肉を買いました。"_s, u"サンビャクグラムノニクオカイマシタ。"_s, u"三百グラム=サンビャクグラム"_s},
        {u"先週、京都へ行きました。"_s, u"センシュー、キョートエイキマシタ。"_s, {}},
        {u"姉は銀行で働いています。"_s, u"アネワギンコーデハタライテイマス。"_s, {}},
    };
    return sentences;
}

// Written last and kept out of the rules' fitting: what a learner's new text meets.
const std::vector<Sentence>& HeldOutSentences()
{
    static const std::vector<Sentence> sentences = {
        {u"毎朝六時半に起きます。"_s, u"マイアサロクジハンニオキマス。"_s, u"六時半=ロクジハン"_s},
        {u"駅の近くに本屋が三軒あります。"_s, u"エキノチカクニホンヤガサンゲンアリマス。"_s, u"三軒=サンゲン"_s},
        {u"昨日は二時間ぐらい散歩しました。"_s, u"キノーワニジカングライサンポシマシタ。"_s, u"二時間=ニジカン"_s},
        {u"私の兄は三十二歳です。"_s, u"ワタシノアニワサンジューニサイデス。"_s, u"三十二歳=サンジューニサイ"_s},
        {u"夏休みに沖縄へ行こうと思います。"_s, u"ナツヤスミニオキナワエイコートオモイマス。"_s, {}},
        {u"りんごを五つください。"_s, u"リンゴオイツツクダサイ。"_s, u"五つ=イツツ"_s},
        {u"この電車は十時四分に着きます。"_s, u"コノデンシャワジュージヨンプンニツキマス。"_s, u"十時=ジュージ;四分=ヨンプン"_s},
        {u"姉は去年の十一月に結婚しました。"_s, u"アネワキョネンノジューイチガツニケッコンシマシタ。"_s, u"十一月=ジューイチガツ"_s},
        {u"教科書を開いてください。"_s, u"キョーカショオヒライテクダサイ。"_s, {}},
        {u"家から学校まで八キロあります。"_s, u"イエカラガッコーマデハチキロアリマス。"_s, u"八キロ=ハチキロ"_s},
        {u"図書館で本を五冊借りました。"_s, u"トショカンデホンオゴサツカリマシタ。"_s, u"五冊=ゴサツ"_s},
        {u"父は毎日たばこを十本吸います。"_s, u"チチワマイニチタバコオジュッポンスイマス。"_s, u"十本=ジュッポン"_s},
        {u"冬休みは十二月二十八日からです。"_s, u"フユヤスミワジューニガツニジューハチニチカラデス。"_s,
         u"十二月=ジューニガツ;二十八日=ニジューハチニチ"_s},
        {u"このケーキは一個四百円です。"_s, u"コノケーキワイッコヨンヒャクエンデス。"_s, u"一個=イッコ;四百円=ヨンヒャクエン"_s},
        {u"毎晩、日記を書いています。"_s, u"マイバン、ニッキオカイテイマス。"_s, {}},
        {u"私たちは七人で旅行しました。"_s, u"ワタシタチワナナニンデリョコーシマシタ。"_s, u"七人=ナナニン"_s},
        {u"会議室は八階です。"_s, u"カイギシツワハッカイデス。"_s, u"八階=ハッカイ"_s},
        {u"猫に魚を一匹あげました。"_s, u"ネコニサカナオイッピキアゲマシタ。"_s, u"一匹=イッピキ"_s},
        {u"お茶をもう一杯いかがですか。"_s, u"オチャオモーイッパイイカガデスカ。"_s, u"一杯=イッパイ"_s},
        {u"三日前から風邪をひいています。"_s, u"ミッカマエカラカゼオヒイテイマス。"_s, u"三日=ミッカ"_s},
        {u"田中さんは来月の九日に帰ります。"_s, u"タナカサンワライゲツノココノカニカエリマス。"_s, u"九日=ココノカ"_s},
        {u"ここに名前を書いてください。"_s, u"ココニナマエオカイテクダサイ。"_s, {}},
        {u"このマンションは十五階建てです。"_s, u"コノマンションワジューゴカイダテデス。"_s, u"十五階建て=ジューゴカイダテ"_s},
        {u"一年に二回、国へ帰ります。"_s, u"イチネンニニカイ、クニエカエリマス。"_s, u"一年=イチネン;二回=ニカイ"_s},
        {u"五百円玉を持っていますか。"_s, u"ゴヒャクエンダマオモッテイマスカ。"_s, u"五百円=ゴヒャクエン"_s},
        {u"日曜日はどこへも行きませんでした。"_s, u"ニチヨービワドコエモイキマセンデシタ。"_s, {}},
        {u"毎週月曜日と木曜日に日本語を習います。"_s, u"マイシューゲツヨービトモクヨービニニホンゴオナライマス。"_s, {}},
        {u"バス停まで百メートルです。"_s, u"バステーマデヒャクメートルデス。"_s, u"百メートル=ヒャクメートル"_s},
        {u"大学を卒業して三年になります。"_s, u"ダイガクオソツギョーシテサンネンニナリマス。"_s, u"三年=サンネン"_s},
        {u"東京から大阪まで新幹線で二時間半かかります。"_s, u"トーキョーカラオーサカマデシンカンセンデニジカンハンカカリマス。"_s,
         u"二時間半=ニジカンハン"_s},
    };
    return sentences;
}

QString WithoutSpaces(QString s)
{
    s.remove(u' ');
    return s;
}

int EditDistance(const QString& a, const QString& b)
{
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j) row[j] = int(j);
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min({above + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[size_t(b.size())];
}

// The spoken characters whose place is inside text[from, from + length).
QString SpokenFor(const SpeechText& speech, int from, int length)
{
    QString s;
    for (int i = 0; i < speech.spoken.size(); ++i)
        if (speech.origin[i] >= from && speech.origin[i] < from + length && speech.spoken[i] != u' ')
            s += speech.spoken[i];
    return s;
}

long synthesizedSamples = 0;
QList<std::pair<int, int>> wordEvents;  // position from 1 and length, in characters of the spoken text
int CountSamples(short*, int count, espeak_EVENT* events)
{
    synthesizedSamples += count;
    for (espeak_EVENT* e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e)
        if (e->type == espeakEVENT_WORD) wordEvents.append({e->text_position, e->length});
    return 0;
}

// Seconds of sound espeak-ng's Japanese voice makes of `text`.
double SpokenSeconds(const QString& text, int sampleRate)
{
    const QByteArray utf8 = text.toUtf8();
    synthesizedSamples = 0;
    wordEvents.clear();
    espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    return double(synthesizedSamples) / sampleRate;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QElapsedTimer openTimer;
    openTimer.start();
    QString error;
    const auto readings = JapaneseReadings::Open(&error);
    if (!readings) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const double openMs = double(openTimer.nsecsElapsed()) / 1e6;

    const auto score = [&readings](const char* name, const std::vector<Sentence>& set) {
        int exact = 0, distance = 0, expectedLength = 0, items = 0, itemsRight = 0;
        for (const Sentence& s : set) {
            const SpeechText speech = readings->Speakable(s.text);
            const int d = EditDistance(WithoutSpaces(speech.spoken), s.kana);
            distance += d;
            expectedLength += int(s.kana.size());
            if (d == 0) ++exact;
            else std::printf("  differs: %s\n    spoken   %s\n    expected %s\n", qPrintable(s.text),
                             qPrintable(speech.spoken), qPrintable(s.kana));
            for (const QString& item : s.items.split(u';', Qt::SkipEmptyParts)) {
                const QString written = item.section(u'=', 0, 0), kana = item.section(u'=', 1);
                const QString said = SpokenFor(speech, int(s.text.indexOf(written)), int(written.size()));
                ++items;
                if (said == kana) ++itemsRight;
                else std::printf("  counter: %s read %s, expected %s\n", qPrintable(written), qPrintable(said),
                                 qPrintable(kana));
            }
        }
        const int n = int(set.size());
        std::printf("%s: %d sentences\n", name, n);
        std::printf("  read exactly: %d of %d (%.1f %%, target >= 90 %%)\n", exact, n, 100.0 * exact / n);
        std::printf("  kana error rate: %d edits over %d kana (%.2f %%, target <= 1 %%)\n", distance, expectedLength,
                    100.0 * distance / expectedLength);
        std::printf("  numbers with counters right: %d of %d (%.1f %%, target >= 95 %%)\n", itemsRight, items,
                    100.0 * itemsRight / items);
    };
    score("learner sentences", Sentences());
    score("fresh sentences", FreshSentences());
    score("held-out sentences", HeldOutSentences());

    constexpr int kRounds = 20;
    QElapsedTimer timer;
    timer.start();
    for (int r = 0; r < kRounds; ++r)
        for (const Sentence& s : Sentences()) (void)readings->Speakable(s.text);
    const double perSentenceUs = double(timer.nsecsElapsed()) / 1e3 / double(kRounds * Sentences().size());

    const int n = int(Sentences().size());
    std::printf("time per sentence: %.0f us (opening MeCab and the dictionary: %.1f ms)\n", perSentenceUs, openMs);

    // What the readings change in the voice itself.
    const int sampleRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
    if (sampleRate <= 0 || espeak_SetVoiceByName("ja") != EE_OK) {
        std::printf("espeak-ng's Japanese voice is not available\n");
        return 0;
    }
    espeak_SetSynthCallback(CountSamples);
    const QString sample = u"今日は良い天気です"_s;
    const QString sampleKana = readings->Speakable(sample).spoken;
    std::printf("espeak-ng ja, %s: %.2f s as written, %.2f s as %s\n", qPrintable(sample), SpokenSeconds(sample, sampleRate),
                SpokenSeconds(sampleKana, sampleRate), qPrintable(sampleKana));
    // Where the voice's word events fall in the written text (kana only, so
    // espeak-ng's character positions are QString indices).
    const SpeechText sampleSpeech = readings->Speakable(sample);
    SpokenSeconds(sampleSpeech.spoken, sampleRate);
    QStringList marked;
    for (const auto& [position, length] : std::as_const(wordEvents)) {
        const int from = std::clamp(position - 1, 0, int(sampleSpeech.spoken.size()));
        const int to = std::clamp(position - 1 + length, from, int(sampleSpeech.spoken.size()));
        marked << sample.mid(sampleSpeech.origin[from], sampleSpeech.origin[to] - sampleSpeech.origin[from]);
    }
    std::printf("espeak-ng ja word events on the written text: %s\n", qPrintable(marked.join(u" | ")));
    double written = 0, read = 0;
    for (const Sentence& s : Sentences()) {
        written += SpokenSeconds(s.text, sampleRate);
        read += SpokenSeconds(readings->Speakable(s.text).spoken, sampleRate);
    }
    std::printf("espeak-ng ja, all %d sentences: %.1f s as written, %.1f s through the readings\n", n, written, read);
    espeak_Terminate();
    return 0;
}
