#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <utility>

class QWidget;
class Prompter;

// The browser window's favourites: the "IEのお気に入り", "☆" and "▽"
// buttons, the seven quick buttons and the drop-down table, made as
// children of the browser window at their places in its layout. The list
// is read by load() when the window opens and written by save() after it
// has closed.
class FavouritesBar : public QObject
{
    Q_OBJECT
public:
    // The newest history entry (display name, address); empty strings
    // while the history is empty.
    using NewestPage = std::function<std::pair<QString, QString>()>;

    FavouritesBar(QWidget* window, Prompter& prompter, QString filePath,
                  NewestPage newestPage);
    ~FavouritesBar() override;

    void load();
    void save();

    // The last main mouse button pressed over the window's controls:
    // 0 none, 1 right, 2 left.
    void setMouseButtonFlag(int flag);

    // F1 to F7 in the page view press the quick buttons; true when the key
    // was one of them.
    bool pressFunctionKey(int key);

signals:
    // An address to navigate to, already converted with URL_UTF8Conversion.
    void navigate(const QString& address);
};
