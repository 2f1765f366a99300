#include "platform/FileErrors.h"

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace FileErrors {

QString Reason(int error)
{
    switch (error) {
    case ENOENT: return u"ファイルまたはフォルダーが見つかりません"_s;
    case EACCES: return u"アクセスが許可されていません"_s;
    case EPERM: return u"操作が許可されていません"_s;
    case ENOSPC: return u"ディスクの空き領域が足りません"_s;
    case EDQUOT: return u"ディスクの使用量が上限に達しています"_s;
    case EROFS: return u"読み取り専用の場所です"_s;
    case EISDIR: return u"フォルダーです"_s;
    case ENOTDIR: return u"途中の名前がフォルダーではありません"_s;
    case ENAMETOOLONG: return u"名前が長すぎます"_s;
    case ELOOP: return u"シンボリックリンクが多すぎるか循環しています"_s;
    case EIO: return u"入出力エラーが起きました"_s;
    case EFBIG: return u"ファイルが大きすぎます"_s;
    case EMFILE:
    case ENFILE: return u"開いているファイルが多すぎます"_s;
    case EBUSY:
    case ETXTBSY: return u"ほかで使用中です"_s;
    case EEXIST: return u"同じ名前のものがすでにあります"_s;
    case EILSEQ: return u"名前に読み取れない文字があります"_s;
    case ENXIO:
    case ENODEV: return u"装置がありません"_s;
    case EAGAIN: return u"いまは使用できません"_s;
    case ENOMEM: return u"メモリが足りません"_s;
    case EXDEV: return u"別のファイルシステムへは移せません"_s;
    case EINVAL: return u"この操作はできません"_s;
    case ESTALE:
    case ENOTCONN:
    case EHOSTDOWN:
    case ETIMEDOUT: return u"ネットワーク上の場所に届きません"_s;
    default:
        return u"システムエラー %1: %2"_s.arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

QString NotRegularReason()
{
    return u"通常のファイルではありません"_s;
}

QString Message(Doing doing, const QString& path, const QString& reason)
{
    QString outcome;
    switch (doing) {
    case Doing::Read: outcome = u"を読み込めませんでした"_s; break;
    case Doing::Write: outcome = u"を保存できませんでした"_s; break;
    case Doing::Open: outcome = u"を開けませんでした"_s; break;
    case Doing::Copy: outcome = u"をコピーできませんでした"_s; break;
    case Doing::Create: outcome = u"を作成できませんでした"_s; break;
    case Doing::Delete: outcome = u"を削除できませんでした"_s; break;
    case Doing::List: outcome = u"の一覧を読み込めませんでした"_s; break;
    case Doing::Play: outcome = u"を再生できませんでした"_s; break;
    }
    return u"「"_s + path + u"」"_s + outcome + u"（"_s + reason + u"）。"_s;
}

QString Message(Doing doing, const QString& path, int error)
{
    return Message(doing, path, Reason(error));
}

} // namespace FileErrors
