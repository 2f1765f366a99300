#pragma once

#include <QString>

// The one way the program shows a message or asks a question. The program
// uses DialogPrompter (its own dialogs); tests use a scripted prompter that
// records every text and answers as told, so no test waits on a modal window.
class Prompter
{
public:
    virtual ~Prompter() = default;

    // A message with one "OK" button (MessageInfoBox).
    virtual void MessageInfoBox(const QString& text) = 0;

    // A question with "はい" / "いいえ" (YesNo); true only for "はい".
    virtual bool YesNo(const QString& question) = 0;

    // The desktop's standard Yes/No question box, with a title (the paste
    // question of the editors); true only for Yes.
    virtual bool StandardQuestion(const QString& text, const QString& title) = 0;

    // The About dialog.
    virtual void VersionInfo() = 0;
};
