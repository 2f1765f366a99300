#pragma once

#include "app/Controller.h"

#include <QString>

// The text and synchronized-text documents: views, new documents, edit commands, saving, line-ending repair and the editor font.
class DocumentController : public Controller
{
public:
    using Controller::Controller;

    virtual void TextDisplaySwitch();
    virtual void LrcTextDisplaySwitch();
    virtual void ArtDisplaySwitch();
    virtual void NewText();
    virtual void NewLrcText();
    virtual void Undo();
    virtual void Cut();
    virtual void Copy();
    virtual void Paste();
    virtual void Delete();
    virtual void SelectAll();
    virtual void textBox1_TextChanged();
    virtual void textBox2_TextChanged();
    virtual void OverWrite();
    virtual void FileNameSpecifiedSave();
    virtual void button34_Click();
    virtual void FontSetting();
    virtual void TextOpenFile(const QString& path, const QString& fileName);
    virtual void TextFontSetting();
};
