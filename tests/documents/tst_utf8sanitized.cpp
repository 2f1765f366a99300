// The UTF-8 check under the undefined-behaviour and address sanitizers: every
// cut of a text, reads at both ends of a buffer, and views without a pointer.
// The check's answers are tested in tst_documentrules; here a fault is any
// sanitizer report, which aborts the run.

#include "documents/Utf8Check.h"

#include <QtTest>

#include <cstring>
#include <memory>

class TestUtf8Sanitized : public QObject
{
    Q_OBJECT

private slots:
    void everyCutOfEveryText()
    {
        // ASCII runs past both strides, sequences of every length, and an error.
        const QByteArray texts[] = {
            QByteArray(70, 'a'),
            QByteArray(40, 'a') + "\xE3\x81\x82\xF0\x9F\x8E\xB5" + QByteArray(30, 'b') + "\xC3\xA9",
            QByteArray("\xE3\x81\x82").repeated(30),
            QByteArray(33, 'x') + "\xC0\xAF" + QByteArray(33, 'y'),
        };
        int nonAscii = 0;
        for (const QByteArray& text : texts) {
            for (qsizetype from = 0; from <= text.size(); ++from) {
                for (qsizetype to = from; to <= text.size(); ++to) {
                    // A copy of exactly the cut, so a read past either end meets the sanitizer.
                    const qsizetype n = to - from;
                    std::unique_ptr<char[]> exact(n ? new char[size_t(n)] : nullptr);
                    if (n)
                        std::memcpy(exact.get(), text.constData() + from, size_t(n));
                    const QByteArrayView view(exact.get(), n);
                    const bool fast = IsNonAsciiUtf8(view);
                    QCOMPARE(fast, IsNonAsciiUtf8Scalar(view));
                    nonAscii += fast ? 1 : 0;
                }
            }
        }
        QVERIFY(nonAscii > 0);
    }

    void viewsWithoutAPointer()
    {
        QVERIFY(!IsNonAsciiUtf8(QByteArrayView()));
        QVERIFY(!IsNonAsciiUtf8Scalar(QByteArrayView()));
        QVERIFY(!IsNonAsciiUtf8(QByteArrayView(static_cast<const char*>(nullptr), 0)));
    }
};

QTEST_GUILESS_MAIN(TestUtf8Sanitized)
#include "tst_utf8sanitized.moc"
