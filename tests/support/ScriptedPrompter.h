#pragma once

#include "dialogs/Prompter.h"

#include <QList>
#include <QString>
#include <QStringList>

// A prompter for tests: records every message and question in order and
// answers questions from a script; when the script runs dry it answers with
// defaultAnswer.
class ScriptedPrompter : public Prompter
{
public:
    enum class Kind { Message, YesNo, StandardQuestion, VersionInfo };

    struct Entry
    {
        Kind kind;
        QString text;
        QString title;
    };

    QList<Entry> entries;
    QList<bool> answers;
    bool defaultAnswer = false;

    void MessageInfoBox(const QString& text) override
    {
        entries.append({Kind::Message, text, {}});
    }

    bool YesNo(const QString& question) override
    {
        entries.append({Kind::YesNo, question, {}});
        return nextAnswer();
    }

    bool StandardQuestion(const QString& text, const QString& title) override
    {
        entries.append({Kind::StandardQuestion, text, title});
        return nextAnswer();
    }

    void VersionInfo() override { entries.append({Kind::VersionInfo, {}, {}}); }

    // The texts shown or asked, in order.
    QStringList texts() const
    {
        QStringList out;
        for (const Entry& e : entries)
            out << e.text;
        return out;
    }

    QStringList texts(Kind kind) const
    {
        QStringList out;
        for (const Entry& e : entries)
            if (e.kind == kind)
                out << e.text;
        return out;
    }

    void clear()
    {
        entries.clear();
        answers.clear();
    }

private:
    bool nextAnswer() { return answers.isEmpty() ? defaultAnswer : answers.takeFirst(); }
};
