#include "dialogs/DialogPrompter.h"
#include "dialogs/QtTranslations.h"
#include "library/FileKinds.h"
#include "ModalDriver.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// Qt's own dialogs and menus, as the program shows them, read Japanese.
namespace {

// What a user reads in a dialog: its labels, its buttons and its choices.
QStringList visibleTexts(QWidget* dialog)
{
    QStringList texts;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->isVisible() && !label->text().isEmpty())
            texts << label->text();
    for (QGroupBox* group : dialog->findChildren<QGroupBox*>())
        if (group->isVisible() && !group->title().isEmpty())
            texts << group->title();
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        if (button->isVisible() && !button->text().isEmpty())
            texts << button->text();
    return texts;
}

// An English word left in a text, mnemonics and a menu's shortcut aside
// ("開く(&O)" and "元に戻す(&U)\tCtrl+Z" are Japanese).
QString englishIn(const QString& text)
{
    static const QRegularExpression mnemonic(u"\\(&.\\)|&"_s);
    static const QRegularExpression word(u"[A-Za-z]{2,}"_s);
    QString bare = text.section(u'\t', 0, 0);
    bare.remove(mnemonic);
    if (bare == u"OK")   // Japanese writes it so too
        return {};
    return word.match(bare).captured();
}

QStringList entriesOf(QComboBox* combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

// Names the file list shows as choosable, once the folder has been read.
QStringList listedFiles(QFileDialog* dialog)
{
    auto* list = dialog->findChild<QListView*>(u"listView"_s);
    if (!list || !list->model())
        return {u"(no file list)"_s};
    const QAbstractItemModel* model = list->model();
    QStringList names;
    for (int row = 0; row < model->rowCount(list->rootIndex()); ++row) {
        const QModelIndex index = model->index(row, 0, list->rootIndex());
        if (!list->isRowHidden(row) && index.flags().testFlag(Qt::ItemIsEnabled))
            names << index.data().toString();
    }
    names.sort();
    return names;
}

} // namespace

class TstQtTexts : public QObject
{
    Q_OBJECT
public:
    static void initMain()
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }

private slots:
    void initTestCase();
    void dialogsReadJapanese_data();
    void dialogsReadJapanese();
    void openDialogFilters_data();
    void openDialogFilters();
};

void TstQtTexts::initTestCase()
{
    // As the program does at start-up; the catalogue is a set-up package.
    QVERIFY2(InstallQtTranslations(qApp), "Qt's Japanese catalogue is not installed");
}

void TstQtTexts::dialogsReadJapanese_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("open") << u"open"_s << QStringList{u"開く"_s, u"キャンセル"_s, u"ファイル名"_s};
    QTest::newRow("save") << u"save"_s << QStringList{u"保存"_s, u"キャンセル"_s, u"ファイル名"_s};
    QTest::newRow("folder") << u"folder"_s << QStringList{u"選択"_s, u"キャンセル"_s};
    QTest::newRow("font") << u"font"_s << QStringList{u"フォント"_s, u"サイズ"_s, u"サンプル"_s, u"キャンセル"_s};
    QTest::newRow("paste question") << u"question"_s << QStringList{u"はい"_s, u"いいえ"_s};
    QTest::newRow("editor menu") << u"menu"_s << QStringList{u"元に戻す"_s, u"貼り付け"_s, u"すべてを選択"_s};
}

void TstQtTexts::dialogsReadJapanese()
{
    QFETCH(QString, dialog);
    QFETCH(QStringList, expected);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());

    QStringList texts;
    if (dialog == u"menu") {
        QPlainTextEdit editor;
        editor.setPlainText(u"本文"_s);
        const std::unique_ptr<QMenu> menu(editor.createStandardContextMenu());
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                texts << action->text();
    } else {
        QWidget owner;
        DialogPrompter prompter(&owner);
        bool widgets = true;
        ModalDriver driver([&](QWidget* modal) {
            texts = visibleTexts(modal);
            if (auto* files = qobject_cast<QFileDialog*>(modal))
                widgets = files->testOption(QFileDialog::DontUseNativeDialog);
            if (auto* fonts = qobject_cast<QFontDialog*>(modal))
                widgets = fonts->testOption(QFontDialog::DontUseNativeDialog);
            qobject_cast<QDialog*>(modal)->reject();
        });
        if (dialog == u"open")
            prompter.OpenFileName(folder.path(), FileKinds::OpenFilterStrings());
        else if (dialog == u"save")
            prompter.SaveFileName(folder.path(), u"新規.txt"_s, {u"UTF8テキスト(*.txt)"_s}, 0);
        else if (dialog == u"folder")
            prompter.ExistingFolder(folder.path());
        else if (dialog == u"font")
            prompter.ChooseFont(QFont());
        else
            prompter.StandardQuestion(u"貼り付けますか？"_s, u"貼り付け"_s);
        QVERIFY(driver.acted());
        QVERIFY(!driver.forced());
        // Qt's own widgets: a desktop's native dialog would speak its own language.
        QVERIFY(widgets);
    }

    QVERIFY(!texts.isEmpty());
    for (const QString& text : std::as_const(texts))
        QVERIFY2(englishIn(text).isEmpty(), qPrintable(u"\"%1\" in %2"_s.arg(text, texts.join(u" | "))));
    for (const QString& want : std::as_const(expected)) {
        const bool found = std::any_of(texts.cbegin(), texts.cend(),
                                       [&](const QString& t) { return t.contains(want); });
        QVERIFY2(found, qPrintable(u"no \"%1\" in %2"_s.arg(want, texts.join(u" | "))));
    }
}

void TstQtTexts::openDialogFilters_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("audio/video/text") << 0 << QStringList{u"a.txt"_s, u"b.mp3"_s, u"d.lrc"_s, u"e.wav"_s, u"f.mp4"_s};
    QTest::newRow("audio") << 1 << QStringList{u"b.mp3"_s, u"e.wav"_s};
    QTest::newRow("video") << 2 << QStringList{u"f.mp4"_s};
    QTest::newRow("text") << 3 << QStringList{u"a.txt"_s, u"d.lrc"_s};
    QTest::newRow("all") << 4 << QStringList{u"a.txt"_s, u"b.mp3"_s, u"c.png"_s, u"d.lrc"_s, u"e.wav"_s, u"f.mp4"_s};
}

// The entries read exactly as the program words them, while their patterns
// still choose the files behind them.
void TstQtTexts::openDialogFilters()
{
    QFETCH(int, filter);
    QFETCH(QStringList, listed);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const QString& name : {u"a.txt"_s, u"b.mp3"_s, u"c.png"_s, u"d.lrc"_s, u"e.wav"_s, u"f.mp4"_s}) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    DialogPrompter prompter;
    QStringList entries;
    QStringList shown;
    ModalDriver driver([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        auto* combo = dialog->findChild<QComboBox*>(u"fileTypeCombo"_s);
        QVERIFY(combo);
        entries = entriesOf(combo);
        // Chosen from the keyboard, as a user would.
        combo->setFocus();
        for (int i = 0; i < filter; ++i)
            QTest::keyClick(combo, Qt::Key_Down);
        QTRY_COMPARE_WITH_TIMEOUT(listedFiles(dialog), listed, Timeout);
        shown = listedFiles(dialog);
        dialog->selectFile(listed.first());
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<QString> chosen = prompter.OpenFileName(folder.path(), FileKinds::OpenFilterStrings());
    QVERIFY(driver.acted());
    QVERIFY(!driver.forced());

    const QStringList labels{
        u"オーディオ/ビデオ/テキスト(*.wav;*.mp3*.cda;*.mp4;*.txt;*.lrc)"_s,
        u"オーディオ(*.wav;*.mp3*.cda)"_s,
        u"ビデオ(*.mp4;*.mov)"_s,
        u"テキスト(*.txt;*.lrc)"_s,
        u"すべて(*.*)"_s,
    };
    QCOMPARE(entries, labels);
    QCOMPARE(shown, listed);
    QCOMPARE(chosen, std::optional<QString>(folder.filePath(listed.first())));
}

QTEST_MAIN(TstQtTexts)
#include "tst_qttexts.moc"
