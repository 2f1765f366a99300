#pragma once

#include <QString>

// The reader's two messages, shown from the window, the set-up and the reader.
namespace SpeechMessages {

inline QString InstallVoices()
{
    return QStringLiteral("マニュアルを参照して、音声合成言語のインストールをしてください。\n"
                          "Windows7/8.1/10では、インストール方法が異なりますので注意してください。");
}

inline QString Unsupported()
{
    return QStringLiteral("この音声言語はサポートされていない可能性が有ります。");
}

} // namespace SpeechMessages
