#pragma once

#include "dialogs/DialogParts.h"

#include <QDialog>

class QLabel;

// The About dialog: the program's name, version and two lines about it.
class VersionInfo : public QDialog
{
    Q_OBJECT
public:
    explicit VersionInfo(QWidget* parent = nullptr);

    // "Version:" followed directly by the version number.
    static QString VersionText();

    PictureLabel* label1; // name
    QLabel* label2;       // version
    QLabel* label3;
    QLabel* label4;

protected:
    void showEvent(QShowEvent* event) override;
};
