#include "browser/BrowserController.h"

using namespace Qt::StringLiterals;

QString BrowserController::ManualFirstPage()
{
    return u"http://murmelin.kestrow.invalid/SoftWare/Murmelin/Murmelinマニュアル%20はじめに.html"_s;
}

void BrowserController::GetIE_version()
{
}

void BrowserController::ManualDialog(const QString& /*strUrlTitle*/)
{
}

