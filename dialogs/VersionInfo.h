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

    PictureLabel* nameLabel; // name
    QLabel* versionLabel;       // version
    QLabel* companyLabel;
    QLabel* descriptionLabel;

protected:
    void showEvent(QShowEvent* event) override;
};
