#pragma once

#include <QFont>
#include <QString>

// A font by the face name the window was designed with, falling back to a
// face of the same kind that this desktop has (Japanese glyphs included).
QFont DesignFont(const QString& family, double points, bool bold = false);
