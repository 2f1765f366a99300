#include "speech/KanaReadings.h"

#include "platform/BuiltInVoice.h"

using namespace Qt::StringLiterals;

namespace {

class JapaneseKana : public KanaReader
{
public:
    explicit JapaneseKana(JapaneseReadings::Places places)
        : places_(std::move(places))
    {
    }

    bool Read(const QString& text, QString* spoken, QList<int>* origin) override
    {
        if (!opened_) {
            opened_ = true;
            QString error;
            readings_ = JapaneseReadings::Open(places_, &error);
            if (!readings_) {
                if (error.isEmpty())
                    error = u"日本語の読みの辞書を開けませんでした。libmecab2 と open-jtalk-mecab-naist-jdic をインストールしてください。"_s;
                // Said on the user-interface thread, where this object lives.
                QMetaObject::invokeMethod(this, [this, error] { emit Problem(error); }, Qt::QueuedConnection);
            }
        }
        if (!readings_)
            return false;
        SpeechText readable = readings_->Speakable(text);
        *spoken = readable.spoken;
        *origin = readable.origin;
        return true;
    }

private:
    JapaneseReadings::Places places_;
    bool opened_ = false;
    std::unique_ptr<JapaneseReadings> readings_;
};

} // namespace

std::shared_ptr<KanaReader> MakeKanaReader(const JapaneseReadings::Places& places)
{
    // Requests on the worker may hold the last reference: the object is
    // deleted on its own thread.
    return std::shared_ptr<KanaReader>(new JapaneseKana(places), [](KanaReader* reader) { reader->deleteLater(); });
}

std::shared_ptr<KanaReader> MakeKanaReader()
{
    return MakeKanaReader(JapaneseReadings::Places());
}
