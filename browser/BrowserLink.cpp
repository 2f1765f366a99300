#include "browser/BrowserLink.h"

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace BrowserLink {

namespace {
const QString kProgramFolder = u"program-folder"_s;
const QString kWorkFolder = u"work-folder"_s;
const QString kManualFolder = u"manual-folder"_s;
const QString kAttached = u"attached"_s;
const QString kStandby = u"standby"_s;
} // namespace

QStringList Arguments(const QString& startRequest, const QString& programFolder, const QString& workFolder,
                      const QString& manualFolder)
{
    // "--" first: a request is never taken for an option of ours or of Qt's.
    return {u"--"_s + kAttached, u"--"_s + kProgramFolder, programFolder, u"--"_s + kWorkFolder, workFolder,
            u"--"_s + kManualFolder, manualFolder, u"--"_s, startRequest};
}

QStringList StandbyArguments(const QString& programFolder, const QString& workFolder, const QString& manualFolder)
{
    return {u"--"_s + kAttached, u"--"_s + kStandby, u"--"_s + kProgramFolder, programFolder, u"--"_s + kWorkFolder,
            workFolder, u"--"_s + kManualFolder, manualFolder};
}

std::optional<Request> Parse(const QStringList& arguments, QString* error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption program(kProgramFolder, u"データ・ファイルのフォルダー"_s, u"フォルダー"_s);
    const QCommandLineOption work(kWorkFolder, u"作業フォルダー（お気に入りのファイル）"_s, u"フォルダー"_s);
    const QCommandLineOption manual(kManualFolder, u"マニュアルのフォルダー"_s, u"フォルダー"_s);
    const QCommandLineOption attached(kAttached, u"標準入力のコマンドに従い、入力の終わりで閉じる"_s);
    const QCommandLineOption standby(kStandby, u"ウィンドウを開かずに待つ（最初の open コマンドで開く）"_s);
    parser.addOptions({program, work, manual, attached, standby});
    parser.addPositionalArgument(u"開くページ"_s, u"「ホーム」またはマニュアルの最初のページのアドレス"_s);
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    const QStringList pages = parser.positionalArguments();
    if (pages.size() > 1) {
        *error = u"開くページは一つだけです"_s;
        return std::nullopt;
    }
    // Waiting without a window only makes sense for commands to come.
    if (parser.isSet(standby) && (!parser.isSet(attached) || !pages.isEmpty())) {
        *error = u"--standby は --attached と共に、開くページなしで指定します"_s;
        return std::nullopt;
    }
    Request r;
    r.startRequest = pages.value(0, u"ホーム"_s);
    r.programFolder = parser.value(program);
    r.workFolder = parser.value(work);
    r.manualFolder = parser.value(manual);
    r.attached = parser.isSet(attached);
    r.standby = parser.isSet(standby);
    return r;
}

} // namespace BrowserLink
