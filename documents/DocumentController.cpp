#include "documents/DocumentController.h"

void DocumentController::TextDisplaySwitch()
{
}

void DocumentController::LrcTextDisplaySwitch()
{
}

void DocumentController::ArtDisplaySwitch()
{
}

void DocumentController::NewText()
{
}

void DocumentController::NewLrcText()
{
}

void DocumentController::Undo()
{
}

void DocumentController::Cut()
{
}

void DocumentController::Copy()
{
}

void DocumentController::Paste()
{
}

void DocumentController::Delete()
{
}

void DocumentController::SelectAll()
{
}

void DocumentController::textBox1_TextChanged()
{
}

void DocumentController::textBox2_TextChanged()
{
}

void DocumentController::OverWrite()
{
}

void DocumentController::FileNameSpecifiedSave()
{
}

void DocumentController::button34_Click()
{
}

void DocumentController::FontSetting()
{
}


void DocumentController::TextOpenFile(const QString& /*path*/, const QString& /*fileName*/)
{
}

void DocumentController::TextFontSetting()
{
}
